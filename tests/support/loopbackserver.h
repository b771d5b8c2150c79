#pragma once

// An HTTP server on 127.0.0.1 for the tests of network reads, one thread
// serving one client at a time:
//   Silent    accepts and never says a word;
//   Trickling sends one byte a second of a reply that never ends;
//   Serving   answers every GET with the bytes it holds, honouring a
//             "Range: bytes=N-" request as a real file server does;
//   Delayed   serves as Serving, the first reply after a second's wait.

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

class LoopbackServer {
public:
    enum class Mode { Silent, Trickling, Serving, Delayed };

    explicit LoopbackServer(Mode mode, QByteArray content = {})
        : m_content(std::move(content))
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
        m_thread = std::thread([this, mode] {
            std::vector<int> silent;
            for (int client; (client = accept(m_socket, nullptr, nullptr)) >= 0;) {
                if (m_accepted++ == 0 && mode == Mode::Delayed)
                    std::this_thread::sleep_for(std::chrono::seconds(1));
                if (mode == Mode::Silent)
                    silent.push_back(client);
                else
                    mode == Mode::Trickling ? trickle(client) : serve(client);
                if (mode != Mode::Silent)
                    close(client);
            }
            for (int client : silent)
                close(client);
        });
    }
    ~LoopbackServer()
    {
        m_stop = true;
        shutdown(m_socket, SHUT_RDWR);
        m_thread.join();
        close(m_socket);
    }
    int port() const { return m_port; }
    // Connections accepted so far.
    int accepted() const { return m_accepted; }
    QString url(const QString& name = QStringLiteral("clip.mp4")) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(name);
    }

private:
    void trickle(int client) const
    {
        const QByteArray head = "HTTP/1.1 200 OK\r\nX-Slow: ";
        for (int i = 0; !m_stop; ++i) {
            if (send(client, i < head.size() ? head.constData() + i : "a", 1, MSG_NOSIGNAL) != 1)
                return;
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    }

    void serve(int client) const
    {
        QByteArray request;
        char buffer[4096];
        for (ssize_t n; !request.contains("\r\n\r\n") && (n = recv(client, buffer, sizeof buffer, 0)) > 0;)
            request.append(buffer, n);
        const QRegularExpressionMatch range =
            QRegularExpression(QStringLiteral("Range: *bytes=(\\d+)-")).match(QString::fromLatin1(request));
        const qsizetype from = std::min(range.hasMatch() ? range.captured(1).toLongLong() : 0, m_content.size());
        const QByteArray body = m_content.mid(from);
        QByteArray head = range.hasMatch() ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
        if (range.hasMatch())
            head += "Content-Range: bytes " + QByteArray::number(from) + '-' + QByteArray::number(m_content.size() - 1) +
                    '/' + QByteArray::number(m_content.size()) + "\r\n";
        head += "Accept-Ranges: bytes\r\nContent-Length: " + QByteArray::number(body.size()) +
                "\r\nConnection: close\r\n\r\n";
        const QByteArray reply = head + body;
        for (qsizetype sent = 0, n; sent < reply.size() && !m_stop; sent += n) {
            if ((n = send(client, reply.constData() + sent, size_t(reply.size() - sent), MSG_NOSIGNAL)) <= 0)
                return;
        }
    }

    QByteArray m_content;
    int m_socket = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};
