#pragma once

// A TCP server on 127.0.0.1 that a reader can connect to but never gets an
// answer from: a silent one accepts and says nothing, a trickling one sends
// one byte a second of an HTTP reply that never ends. For the tests of
// reads that must give up on their own or when cancelled.

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

class StallingServer {
public:
    explicit StallingServer(bool trickle)
    {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(m_socket, reinterpret_cast<sockaddr*>(&address), length);
        listen(m_socket, 8);
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, trickle] {
            std::vector<int> clients;
            for (int client; (client = accept(m_socket, nullptr, nullptr)) >= 0;) {
                clients.push_back(client);
                const QByteArray head = "HTTP/1.1 200 OK\r\nX-Slow: ";
                for (int i = 0; trickle && !m_stop; ++i) {
                    if (send(client, i < head.size() ? head.constData() + i : "a", 1, MSG_NOSIGNAL) != 1)
                        break;
                    std::this_thread::sleep_for(std::chrono::seconds(1));
                }
            }
            for (int client : clients)
                close(client);
        });
    }
    ~StallingServer()
    {
        m_stop = true;
        shutdown(m_socket, SHUT_RDWR);
        m_thread.join();
        close(m_socket);
    }
    int port() const { return m_port; }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/clip.mp4").arg(m_port); }

private:
    int m_socket = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
