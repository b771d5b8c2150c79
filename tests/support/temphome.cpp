#include "temphome.h"

#include <thread>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char* const variables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                 "XDG_STATE_HOME"};

} // namespace

void TempHomeTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_saved.clear();
    for (const char* name : variables)
        m_saved.append({name, qgetenv(name)});
    const QString base = m_dir.path();
    QDir().mkpath(base + QStringLiteral("/home"));
    qputenv("HOME", (base + QStringLiteral("/home")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (base + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (base + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", (base + QStringLiteral("/state")).toLocal8Bit());
}

void TempHomeTest::TearDown()
{
    for (const auto& [name, value] : m_saved) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
}

void runOnThread(const std::function<void()>& work)
{
    std::thread t(work);
    t.join();
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}
