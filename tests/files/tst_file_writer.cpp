// The one writer of the program's files: written through links as the
// system follows them, the earlier file's mode, owner and group kept, the
// syncs made, and every refusal or failure leaving the earlier file as it
// was with nothing beside it. Each write runs in a child process, so that a
// row can drop to the user "nobody" (permissions lock nothing for root) or
// limit the size of the files it may write.
//
// The writer's own system calls are watched in that child through this
// program's definitions of them, which call the C library's: the syncs it
// makes (and whether the temporary still has its own name then), the mode
// of the temporary when it is given its final one, and two failures a real
// disk gives only at its own will, a failing close() and a file system that
// cannot rename without replacing.
#include "support/file_bytes.h"
#include "files/file_writer.h"
#include "files/state_folder.h"
#include "files/codec/file_error.h"
#include "files/model/picture_reading.h"
#include "files/codec/system_reason.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pimoko;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kUsers = 100;

// Set in the child that writes.
struct Watch {
    bool on = false;
    bool closeFails = false;
    bool noReplaceRefused = false;
    bool linkRetried = false;
    std::string removeBeforeResolving;
    std::string calls;
} watch;

template <typename Function>
Function libraryCall(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool isTemporary(int fd)
{
    char name[4096];
    const ssize_t length = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name - 1);
    return length > 0 && std::string(name, std::size_t(length)).find("/.pimoko-") != std::string::npos;
}

} // namespace

extern "C" int fsync(int fd)
{
    static const auto call = libraryCall<int (*)(int)>("fsync");
    if (watch.on) {
        struct stat status {};
        ::fstat(fd, &status);
        watch.calls += S_ISDIR(status.st_mode) ? "synced folder; " : isTemporary(fd) ? "synced temporary; " : "synced file; ";
    }
    return call(fd);
}

extern "C" int fchmod(int fd, mode_t mode) __THROW
{
    static const auto call = libraryCall<int (*)(int, mode_t)>("fchmod");
    if (watch.on) {
        struct stat status {};
        ::fstat(fd, &status);
        char made[32];
        std::snprintf(made, sizeof made, "made %o; ", unsigned(status.st_mode & 07777));
        watch.calls += made;
    }
    return call(fd, mode);
}

extern "C" int close(int fd)
{
    static const auto call = libraryCall<int (*)(int)>("close");
    if (watch.on && watch.closeFails && isTemporary(fd)) {
        call(fd);
        errno = EIO;
        return -1;
    }
    return call(fd);
}

extern "C" int renameat2(int oldFolder, const char* oldName, int newFolder, const char* newName, unsigned flags) __THROW
{
    static const auto call = libraryCall<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    if (watch.on && watch.noReplaceRefused && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return call(oldFolder, oldName, newFolder, newName, flags);
}

// A network file system's retried call: the link made, and reported taken.
extern "C" int link(const char* from, const char* to) __THROW
{
    static const auto call = libraryCall<int (*)(const char*, const char*)>("link");
    const int made = call(from, to);
    if (made == 0 && watch.on && watch.linkRetried) {
        errno = EEXIST;
        return -1;
    }
    return made;
}

// The file removed between its open and the reading of its path.
extern "C" ssize_t readlink(const char* path, char* into, size_t size) __THROW
{
    static const auto call = libraryCall<ssize_t (*)(const char*, char*, size_t)>("readlink");
    if (watch.on && !watch.removeBeforeResolving.empty() && std::strncmp(path, "/proc/self/fd/", 14) == 0) {
        ::unlink(watch.removeBeforeResolving.c_str());
        watch.removeBeforeResolving.clear();
    }
    return call(path, into, size);
}

namespace {

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

struct Written {
    QString error; // empty when the write succeeded
    QString calls; // what the watch saw
};

// Writes in a child process, as nobody (a member of the group users) when
// asked and root runs the test, with the fault of the row; returns the
// error text and the calls watched.
Written writeInChild(const QString& path, bool asNobody, const QString& fault, WriteOptions options)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {QStringLiteral("no pipe"), {}};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string result;
        if (asNobody && ::geteuid() == 0
            && (::setgroups(1, &kUsers) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            result = "cannot become nobody";
        // The writer takes the path of what it opened from /proc; without it,
        // from the C library.
        if (fault == u"no /proc"
            && (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0))
            result = "cannot hide /proc";
        if (fault == u"size limit") {
            // Past the limit a write fails with EFBIG instead of ending the process.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{100, 100};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        watch.closeFails = fault == u"close fails";
        watch.noReplaceRefused = fault.startsWith(u"no RENAME_NOREPLACE");
        watch.linkRetried = fault.endsWith(u"link retried");
        if (fault == u"removed before resolved")
            watch.removeBeforeResolving = QFile::encodeName(path).toStdString();
        watch.on = true;
        try {
            if (result.empty())
                writeFileWhole(QFile::encodeName(path).toStdString(), newBytes(), options);
        } catch (const FileError& error) {
            result = error.what();
        }
        watch.on = false;
        result = watch.calls + '\n' + result;
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
    const qsizetype end = told.indexOf('\n');
    return {QString::fromUtf8(told.mid(end + 1)), QString::fromUtf8(told.left(end))};
}

bool protectedSymlinks()
{
    QFile setting(QStringLiteral("/proc/sys/fs/protected_symlinks"));
    return setting.open(QIODevice::ReadOnly) && setting.readAll().trimmed() == "1";
}

} // namespace

class FileWriterTest : public QObject {
    Q_OBJECT
private slots:
    void writesOrLeavesAsItWas_data();
    void writesOrLeavesAsItWas();
    void removedTargetIsNotMistakenForAnother();
    void stateFolderMadeThroughAFolderNotListed();
};

void FileWriterTest::writesOrLeavesAsItWas_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("options");   // "never replace", "synced": the WriteOptions
    QTest::addColumn<QString>("name");      // the path given, in the row's folder
    QTest::addColumn<QString>("target");    // the file that takes the new bytes
    QTest::addColumn<int>("error");         // 0: written; -1: not a regular file
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<QString>("calls");     // the watched calls of a write that succeeds
    const QString replaced = QStringLiteral("made 600; synced temporary; synced folder; ");
    const QString synced = QStringLiteral("synced temporary; synced folder; ");
    QTest::newRow("new file") << "" << "" << "" << "new.ico" << "new.ico" << 0 << false << "";
    QTest::newRow("new file, synced") << "" << "" << "synced" << "new.ico" << "new.ico" << 0 << false << synced;
    QTest::newRow("replaced file keeps its mode")
        << "mode 0604" << "" << "" << "old.ico" << "old.ico" << 0 << false << replaced;
    QTest::newRow("replaced empty file keeps its mode")
        << "empty, mode 0604" << "" << "" << "old.ico" << "old.ico" << 0 << false << replaced;
    QTest::newRow("another's file keeps its group, written by one in it")
        << "root's file of group users" << "" << "" << "old.ico" << "old.ico" << 0 << true << replaced;
    QTest::newRow("replaced file keeps its owner and group")
        << "owned by nobody:users" << "" << "" << "old.ico" << "old.ico" << 0 << false << replaced;
    QTest::newRow("link written through") << "link to sub/old.ico" << "" << "" << "link.ico" << "sub/old.ico" << 0
                                          << false << replaced;
    // Without /proc the watch cannot tell the temporary by its name either.
    QTest::newRow("link written through where /proc is not mounted")
        << "link to sub/old.ico" << "no /proc" << "" << "link.ico" << "sub/old.ico" << 0 << false
        << "made 600; synced file; synced folder; ";
    QTest::newRow("dangling link creates its file")
        << "link to made.ico" << "" << "" << "link.ico" << "made.ico" << 0 << false << "";
    QTest::newRow("another's link in a sticky folder, as the system follows it")
        << "link of nobody to sub/old.ico, sticky folder" << "" << "" << "link.ico" << "sub/old.ico" << 0 << false
        << replaced;
    QTest::newRow("folder refused") << "folder" << "" << "" << "old.ico" << "" << EISDIR << false << "";
    QTest::newRow("pipe refused") << "pipe" << "" << "" << "old.ico" << "" << -1 << false << "";
    QTest::newRow("link to itself refused") << "link to itself" << "" << "" << "link.ico" << "" << ELOOP << false << "";
    QTest::newRow("link to a pipe refused") << "link to a pipe" << "" << "" << "link.ico" << "" << -1 << false << "";
    QTest::newRow("link to a nameless pipe refused") << "link to a pipe's descriptor" << "" << "" << "link.ico" << ""
                                                     << -1 << false << "";
    QTest::newRow("read-only file refused") << "read-only" << "" << "" << "old.ico" << "" << EACCES << true << "";
    QTest::newRow("write fails after the temporary was made")
        << "" << "size limit" << "" << "old.ico" << "" << EFBIG << false << "";
    QTest::newRow("write through a dangling link fails")
        << "link to made.ico" << "size limit" << "" << "link.ico" << "" << EFBIG << false << "";
    QTest::newRow("close fails") << "" << "close fails" << "" << "old.ico" << "" << EIO << false << "";
    QTest::newRow("rename fails after the temporary was made")
        << "sticky folder, root's file" << "" << "" << "old.ico" << "" << EPERM << true << "";
    QTest::newRow("never replace, new file") << "" << "" << "never replace" << "new.ico" << "new.ico" << 0 << false << "";
    QTest::newRow("never replace, existing file")
        << "" << "" << "never replace" << "old.ico" << "" << EEXIST << false << "";
    QTest::newRow("never replace, link") << "link to sub/old.ico" << "" << "never replace" << "link.ico" << ""
                                         << EEXIST << false << "";
    QTest::newRow("never replace, new file where the rename cannot refuse")
        << "" << "no RENAME_NOREPLACE" << "never replace" << "new.ico" << "new.ico" << 0 << false << "";
    QTest::newRow("never replace, existing file where the rename cannot refuse")
        << "" << "no RENAME_NOREPLACE" << "never replace" << "old.ico" << "" << EEXIST << false << "";
    QTest::newRow("never replace, new file where a retried link reports the name taken")
        << "" << "no RENAME_NOREPLACE, link retried" << "never replace" << "new.ico" << "new.ico" << 0 << false << "";
    QTest::newRow("no follow: a link at the name is refused")
        << "link to sub/old.ico" << "" << "no follow" << "link.ico" << "" << ELOOP << false << "";
    QTest::newRow("owner only, new file") << "" << "" << "owner only" << "new.ico" << "new.ico" << 0 << false << "";
    QTest::newRow("owner only, replaced file")
        << "mode 0604" << "" << "owner only" << "old.ico" << "old.ico" << 0 << false << synced;
}

void FileWriterTest::writesOrLeavesAsItWas()
{
    QFETCH(QString, setUp);
    QFETCH(QString, fault);
    QFETCH(QString, options);
    QFETCH(QString, name);
    QFETCH(QString, target);
    QFETCH(int, error);
    QFETCH(bool, asNobody);
    QFETCH(QString, calls);
    const bool root = ::geteuid() == 0;
    if (!root && (setUp.startsWith(u"owned by") || setUp.startsWith(u"root's") || setUp.contains(u"sticky")))
        QSKIP("only root can give a file to another user");
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    // A folder nobody can reach, with the row's folder inside it.
    QVERIFY(QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadOther | QFile::ExeOther));
    const QString folder = scratch.filePath(QStringLiteral("row"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
    const bool linkToSub = setUp.contains(u"to sub/old.ico");
    const QString earlierFile = QDir(folder).filePath(linkToSub ? "sub/old.ico" : "old.ico");
    const QByteArray encoded = QFile::encodeName(QDir(folder).filePath(QStringLiteral("old.ico")));
    const bool pipe = setUp.endsWith(u"pipe");
    if (setUp == u"folder")
        QVERIFY(QDir().mkpath(earlierFile));
    else if (pipe)
        QCOMPARE(::mkfifo(encoded.constData(), 0600), 0);
    else
        writeAll(earlierFile, setUp.startsWith(u"empty") ? QByteArray() : kEarlier);
    if (setUp != u"folder") {
        const bool openToAll = setUp.startsWith(u"sticky") || setUp.startsWith(u"root's");
        const mode_t mode = setUp.endsWith(u"mode 0604") ? 0604 : openToAll ? 0666 : 0644;
        QCOMPARE(::chmod(QFile::encodeName(earlierFile).constData(), mode), 0);
    }
    const QByteArray link = QFile::encodeName(folder + "/link.ico");
    int ends[2] = {-1, -1};
    const auto closeEnds = qScopeGuard([&] { for (int end : ends) if (end >= 0) ::close(end); });
    if (setUp.endsWith(u"descriptor"))
        QCOMPARE(::pipe(ends), 0);
    const QByteArray descriptor = "/proc/self/fd/" + QByteArray::number(ends[1]);
    const char* linked = setUp.endsWith(u"descriptor") ? descriptor.constData() : linkToSub ? "sub/old.ico" : pipe ? "old.ico" : setUp.endsWith(u"itself") ? "link.ico" : "made.ico";
    if (setUp.startsWith(u"link"))
        QCOMPARE(::symlink(linked, link.constData()), 0);
    if (setUp.startsWith(u"link of nobody"))
        QCOMPARE(::lchown(link.constData(), kNobody, kNobody), 0);
    if (setUp == u"owned by nobody:users")
        QCOMPARE(::chown(encoded.constData(), kNobody, kUsers), 0);
    if (setUp == u"root's file of group users") {
        QCOMPARE(::chown(encoded.constData(), 0, kUsers), 0);
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), kNobody, kNobody), 0);
    }
    if (setUp == u"read-only" && root) {
        // The folder would let nobody put a new file in the old one's place.
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), kNobody, kNobody), 0);
        QCOMPARE(::chown(encoded.constData(), kNobody, kNobody), 0);
    }
    if (setUp == u"read-only")
        QCOMPARE(::chmod(encoded.constData(), 0444), 0);
    if (setUp.contains(u"sticky"))
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 01777), 0);
    bool refusedLink = false;
    if (setUp.startsWith(u"link of nobody")) {
        // The system refuses to follow another's link in a sticky folder
        // open to all when fs.protected_symlinks is set: so must the writer.
        const int fd = ::open(link.constData(), O_RDONLY | O_CLOEXEC);
        refusedLink = fd < 0 && errno == EACCES;
        if (fd >= 0)
            ::close(fd);
        QCOMPARE(refusedLink, protectedSymlinks());
        if (refusedLink) {
            target.clear();
            error = EACCES;
        }
    }
    const struct stat earlier = statusOf(earlierFile);
    const QStringList entries = entriesBelow(folder);

    const QString path = QDir(folder).filePath(name);
    WriteOptions given;
    given.neverReplace = options == u"never replace";
    given.syncNewFile = options == u"synced";
    given.noFollow = options == u"no follow";
    given.ownerOnly = options == u"owner only";
    const Written written = writeInChild(path, asNobody, fault, given);
    if (written.error == u"cannot hide /proc")
        QSKIP("no mount namespace of the test's own here to hide /proc in");

    if (error != 0) {
        const std::string reason = error < 0 ? fileProblemText(FileProblem::NotRegularFile) : systemReasonText(error);
        QCOMPARE(written.error, QString::fromStdString(cannotCreateText(path.toStdString(), reason)));
        if (setUp != u"folder" && !pipe)
            QCOMPARE(readAll(earlierFile), kEarlier);
        QCOMPARE(entriesBelow(folder), entries);
    } else {
        QCOMPARE(written.error, QString());
        QCOMPARE(written.calls, calls);
        const QString writtenFile = QDir(folder).filePath(target);
        const std::vector<std::uint8_t> bytes = newBytes();
        QCOMPARE(readAll(writtenFile),
                 QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
        QStringList expected = entries;
        if (!entries.contains(target))
            expected << target;
        expected.sort();
        QCOMPARE(entriesBelow(folder), expected);
        if (setUp.startsWith(u"link"))
            QVERIFY(S_ISLNK(statusOf(path).st_mode));
        const struct stat now = statusOf(writtenFile);
        if (options == u"owner only") {
            QCOMPARE(now.st_mode & 07777, mode_t(0600));
        } else if (entries.contains(target)) {
            // Only root gives a file away; anyone gives it a group they are in.
            QCOMPARE(now.st_mode & 07777, earlier.st_mode & 07777);
            QCOMPARE(now.st_uid, asNobody ? kNobody : earlier.st_uid);
            QCOMPARE(now.st_gid, earlier.st_gid);
        } else {
            // A new file has the mode a plain create gives it.
            const mode_t mask = ::umask(0);
            ::umask(mask);
            QCOMPARE(now.st_mode & 07777, 0666 & ~mask);
        }
    }
    if (setUp.startsWith(u"link of nobody") && !refusedLink)
        QSKIP("fs.protected_symlinks is 0 here: the writer followed the link as the system does, "
              "but the system's refusal of it was not tried");
}

// A file removed after it was opened resolves to "NAME (deleted)": a file
// of that name is not the target, and the write fails.
void FileWriterTest::removedTargetIsNotMistakenForAnother()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("old.ico"));
    writeAll(path, kEarlier);
    writeAll(path + QStringLiteral(" (deleted)"), kEarlier);
    const Written written = writeInChild(path, false, QStringLiteral("removed before resolved"), {});
    QCOMPARE(written.error,
             QString::fromStdString(cannotCreateText(path.toStdString(), systemReasonText(ENOENT))));
    QCOMPARE(readAll(path + QStringLiteral(" (deleted)")), kEarlier);
    QCOMPARE(entriesBelow(folder.path()), QStringList{QStringLiteral("old.ico (deleted)")});
}

// A home whose parent may be passed through but not listed (mode 0711):
// the user's state folder is made all the same.
void FileWriterTest::stateFolderMadeThroughAFolderNotListed()
{
    if (::geteuid() != 0)
        QSKIP("only root can make a folder of another user's");
    QTemporaryDir top;
    const QString home = top.path() + "/homes/u";
    QVERIFY(QDir().mkpath(home));
    for (const QString& passed : {top.path(), top.path() + "/homes"})
        QCOMPARE(::chmod(QFile::encodeName(passed).constData(), 0711), 0);
    QCOMPARE(::chown(QFile::encodeName(home).constData(), kNobody, kNobody), 0);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0
                        && pimoko::makePrivateFolder((home + "/.local/state/pimoko").toStdString())
                    ? 0 : 1);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(QFileInfo(home + "/.local/state/pimoko").isDir());
}

QTEST_APPLESS_MAIN(FileWriterTest)
#include "tst_file_writer.moc"
