// Saving through a temporary file: the old file survives every failed save, byte for byte.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "files/file_size_limit.h"
#include "files/save_bytes.h"

namespace tq {
namespace {

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(SaveBytes, WritesTheWholeFileAndReplacesTheOld)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    writeFile(path, QByteArray(5000, 'o'));
    EXPECT_EQ(saveBytes(path, std::string("new\r\n\xE8\r\n")), SaveStatus::Saved);
    EXPECT_EQ(contentOf(path), QByteArray("new\r\n\xE8\r\n"));
}

TEST(SaveBytes, FailingHalfWayLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    const QByteArray old = "122013\r\n7\r\nold content\r\n";
    writeFile(path, old);
    const std::string bigger(4096, 'n');
    SaveStatus status;
    {
        test::FileSizeLimit limit(1000);
        status = saveBytes(path, bigger);
    }
    EXPECT_EQ(status, SaveStatus::WriteFailed);
    EXPECT_EQ(contentOf(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.ini")});
}

TEST(SaveBytes, UncreatableFileIsAnOpenFailure)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain"));
    writeFile(plain, "not a folder");
    EXPECT_EQ(saveBytes(plain + QLatin1String("/a.ini"), "x"), SaveStatus::OpenFailed);
    EXPECT_EQ(saveBytes(dir.filePath(QStringLiteral("missing/a.ini")), "x"), SaveStatus::OpenFailed);
    EXPECT_EQ(contentOf(plain), QByteArray("not a folder"));
}

}  // namespace
}  // namespace tq
