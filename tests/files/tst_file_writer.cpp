// The one writer of the program's files: written through links, the earlier
// file's mode and owner kept, and every refusal or failure leaving the
// earlier file as it was with nothing beside it. Each write runs in a child
// process, so that a row can drop to the user "nobody" (permissions lock
// nothing for root) or limit the size of the files it may write.
#include "support/file_bytes.h"
#include "files/file_writer.h"
#include "files/codec/file_error.h"
#include "files/model/picture_reading.h"
#include "files/codec/system_reason.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pimoko;

namespace {

constexpr uid_t kNobody = 65534;

const QByteArray kEarlier("the earlier file, which must stay as it is");

std::vector<std::uint8_t> newBytes()
{
    std::vector<std::uint8_t> bytes(766);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i * 7);
    return bytes;
}

// Every entry below the folder, hidden ones too.
QStringList entriesBelow(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next().mid(folder.size() + 1);
    entries.sort();
    return entries;
}

struct stat statusOf(const QString& path)
{
    struct stat status {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

// Writes in a child process, as nobody when asked and root runs the test,
// with files limited to `sizeLimit` bytes when it is not 0; returns the
// error text, empty when the write succeeded.
QString writeInChild(const QString& path, bool asNobody, rlim_t sizeLimit)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string result;
        if (asNobody && ::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            result = "cannot become nobody";
        if (sizeLimit != 0) {
            // Past the limit a write fails with EFBIG instead of ending the process.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{sizeLimit, sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        try {
            if (result.empty())
                writeFileWhole(QFile::encodeName(path).toStdString(), newBytes());
        } catch (const FileError& error) {
            result = error.what();
        }
        (void)!::write(channel[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray told;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        told.append(buffer, got);
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return QString::fromUtf8(told);
}

} // namespace

class FileWriterTest : public QObject {
    Q_OBJECT
private slots:
    void writesOrLeavesAsItWas_data();
    void writesOrLeavesAsItWas();
};

void FileWriterTest::writesOrLeavesAsItWas_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("name");      // the path given, in the row's folder
    QTest::addColumn<QString>("target");    // the file that takes the new bytes
    QTest::addColumn<int>("error");         // 0: written; -1: not a regular file
    QTest::addColumn<bool>("asNobody");
    QTest::newRow("new file") << "" << "new.ico" << "new.ico" << 0 << false;
    QTest::newRow("replaced file keeps its mode") << "mode 0604" << "old.ico" << "old.ico" << 0 << false;
    QTest::newRow("replaced file keeps its owner") << "owned by nobody" << "old.ico" << "old.ico" << 0 << false;
    QTest::newRow("link written through") << "link to sub/old.ico" << "link.ico" << "sub/old.ico" << 0 << false;
    QTest::newRow("dangling link creates its file") << "link to made.ico" << "link.ico" << "made.ico" << 0 << false;
    QTest::newRow("folder refused") << "folder" << "old.ico" << "" << EISDIR << false;
    QTest::newRow("pipe refused") << "pipe" << "old.ico" << "" << -1 << false;
    QTest::newRow("read-only file refused") << "read-only" << "old.ico" << "" << EACCES << true;
    QTest::newRow("write fails after the temporary was made") << "size limit" << "old.ico" << "" << EFBIG << false;
    QTest::newRow("rename fails after the temporary was made") << "sticky folder, root's file" << "old.ico" << ""
                                                               << EPERM << true;
}

void FileWriterTest::writesOrLeavesAsItWas()
{
    QFETCH(QString, setUp);
    QFETCH(QString, name);
    QFETCH(QString, target);
    QFETCH(int, error);
    QFETCH(bool, asNobody);
    const bool root = ::geteuid() == 0;
    if (!root && (setUp == u"owned by nobody" || setUp.startsWith(u"sticky")))
        QSKIP("only root can give a file to another user");
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    // A folder nobody can reach, with the row's folder inside it.
    QVERIFY(QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadOther | QFile::ExeOther));
    const QString folder = scratch.filePath(QStringLiteral("row"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
    const QString earlierFile = QDir(folder).filePath(setUp.startsWith(u"link to sub") ? "sub/old.ico" : "old.ico");
    const QByteArray encoded = QFile::encodeName(QDir(folder).filePath(QStringLiteral("old.ico")));
    if (setUp == u"folder")
        QVERIFY(QDir().mkpath(earlierFile));
    else if (setUp == u"pipe")
        QCOMPARE(::mkfifo(encoded.constData(), 0600), 0);
    else
        writeAll(earlierFile, kEarlier);
    if (setUp != u"folder") {
        const mode_t mode = setUp == u"mode 0604" ? 0604 : setUp.startsWith(u"sticky") ? 0666 : 0644;
        QCOMPARE(::chmod(QFile::encodeName(earlierFile).constData(), mode), 0);
    }
    if (setUp.startsWith(u"link to"))
        QCOMPARE(::symlink(setUp.mid(8).toUtf8().constData(), QFile::encodeName(folder + "/link.ico").constData()), 0);
    if (setUp == u"owned by nobody")
        QCOMPARE(::chown(encoded.constData(), kNobody, kNobody), 0);
    if (setUp == u"read-only" && root) {
        // The folder would let nobody put a new file in the old one's place.
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), kNobody, kNobody), 0);
        QCOMPARE(::chown(encoded.constData(), kNobody, kNobody), 0);
    }
    if (setUp == u"read-only")
        QCOMPARE(::chmod(encoded.constData(), 0444), 0);
    if (setUp.startsWith(u"sticky"))
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 01777), 0);
    const struct stat earlier = statusOf(earlierFile);
    const QStringList entries = entriesBelow(folder);

    const QString path = QDir(folder).filePath(name);
    const QString told = writeInChild(path, asNobody, setUp == u"size limit" ? 100 : 0);

    if (error != 0) {
        const std::string reason = error < 0 ? fileProblemText(FileProblem::NotRegularFile) : systemReasonText(error);
        QCOMPARE(told, QString::fromStdString(cannotCreateText(path.toStdString(), reason)));
        if (setUp != u"folder" && setUp != u"pipe")
            QCOMPARE(readAll(earlierFile), kEarlier);
        QCOMPARE(entriesBelow(folder), entries);
        return;
    }
    QCOMPARE(told, QString());
    const QString written = QDir(folder).filePath(target);
    const std::vector<std::uint8_t> bytes = newBytes();
    QCOMPARE(readAll(written), QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    QStringList expected = entries;
    if (!entries.contains(target))
        expected << target;
    expected.sort();
    QCOMPARE(entriesBelow(folder), expected);
    if (setUp.startsWith(u"link to"))
        QVERIFY(S_ISLNK(statusOf(path).st_mode));
    const struct stat now = statusOf(written);
    if (entries.contains(target)) {
        QCOMPARE(now.st_mode & 07777, earlier.st_mode & 07777);
        QCOMPARE(now.st_uid, earlier.st_uid);
        QCOMPARE(now.st_gid, earlier.st_gid);
    } else {
        // A new file has the mode a plain create gives it.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QCOMPARE(now.st_mode & 07777, 0666 & ~mask);
    }
}

QTEST_APPLESS_MAIN(FileWriterTest)
#include "tst_file_writer.moc"
