// The window's save is on the disk before it reports done, for a new file
// as for a replaced one: the bytes before the rename makes them the file,
// then the rename itself (the folder). The syncs are seen through this
// program's own fsync(), which calls the C library's.
#include "app/pimo_form.h"
#include "support/file_bytes.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pimoko;

namespace {

bool watching = false;
QString syncs;

} // namespace

extern "C" int fsync(int fd)
{
    static const auto call = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    if (watching) {
        struct stat status {};
        ::fstat(fd, &status);
        char name[4096];
        const ssize_t length = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name - 1);
        const bool temporary = length > 0 && std::string(name, std::size_t(length)).find("/.pimoko-") != std::string::npos;
        syncs += S_ISDIR(status.st_mode) ? "folder " : temporary ? "temporary " : "file ";
    }
    return call(fd);
}

class SaveSyncTest : public QObject {
    Q_OBJECT
private slots:
    void saveIsOnTheDiskWhenDone_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << false;
        QTest::newRow("replaced file") << true;
    }
    void saveIsOnTheDiskWhenDone()
    {
        QFETCH(bool, existing);
        PrivateHome home;
        TPimoForm1 form(std::make_unique<ScriptedDialogs>());
        const QString file = home.path() + QStringLiteral("/drawing.ico");
        if (existing)
            writeAll(file, "the earlier file");
        form.canvas().document().strokePixels().setPixel(3, 4, 0x0000FF);
        form.canvas().document().finishStroke();
        form.canvas().document().rename(file.toStdString());
        syncs.clear();
        watching = true;
        form.ActSaveExecute();
        watching = false;
        QCOMPARE(syncs, QStringLiteral("temporary folder "));
        QVERIFY(readAll(file).startsWith(QByteArray::fromHex("000001000100")));
        QVERIFY(!form.canvas().document().ImageModified);
    }
};

QTEST_MAIN(SaveSyncTest)
#include "tst_save_sync.moc"
