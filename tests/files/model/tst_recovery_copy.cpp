// The recovery copy's file: what goes in comes out, in its own format; a
// copy damaged anywhere is no copy; the offer's words and the folder.
#include "files/model/recovery_copy.h"
#include "support/file_bytes.h"

#include <QTest>

#include <cstdlib>
#include <ctime>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <zlib.h>

using namespace pimoko;

namespace {

// The CRC-32 field made right again after a deliberate change.
void reseal(Bytes& copy)
{
    const std::size_t at = copy.size() - 12;
    set32(copy, at, std::uint32_t(crc32(0, copy.data(), uInt(at))));
}

PixelBuffer sample(int width, int height, PixelFormat format = PixelFormat::trueColor32())
{
    PixelBuffer picture(width, height, kWhite, format);
    picture.setPixel(0, 0, 0xFF0000);
    picture.setPixel(width - 1, height - 1, 0x0000FF);
    return picture;
}

} // namespace

class RecoveryCopyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<QString>("restoredName");
        QTest::newRow("new drawing") << 32 << 32 << "" << qint64(1700000000) << "";
        QTest::newRow("8-bit bitmap keeps its table") << 20 << 8 << "/tmp/絵/a.bmp" << qint64(0x123456789A)
                                                      << "/tmp/絵/a.bmp";
        QTest::newRow("largest, before 1970") << 64 << 4 << "/b.ico" << qint64(-86400) << "/b.ico";
        QTest::newRow("one pixel, longest name") << 1 << 32 << "/" + QString(4095, u'n') << qint64(1)
                                                 << "/" + QString(4095, u'n');
        // Which folder it was relative to is not known: not another's file.
        QTest::newRow("relative name comes back unnamed") << 16 << 32 << "b.ico" << qint64(1) << "";
    }
    void roundTrip()
    {
        QFETCH(int, side);
        QFETCH(int, bits);
        QFETCH(QString, name);
        QFETCH(qint64, time);
        QFETCH(QString, restoredName);
        const PixelFormat format = bits == 32 ? PixelFormat::trueColor32()
                                              : PixelFormat::indexed(bits, {kBlack, kWhite, 0xFF0000, 0x0000FF});
        const PixelBuffer picture = sample(side, side / 2 + 1, format);
        const std::optional<RecoveryCopy> copy =
            readRecoveryCopy(recoveryCopyBytes(picture, name.toStdString(), time));
        QVERIFY(copy);
        QVERIFY(copy->picture == picture);
        QCOMPARE(copy->picture.format(), format);
        QCOMPARE(QString::fromStdString(copy->fileName), restoredName);
        QCOMPARE(copy->writtenAt, time);
    }

    // The bitmap as its header sizes it, then the name and the trailer.
    void layout()
    {
        const Bytes copy = recoveryCopyBytes(sample(3, 2), "ab", 0x0102030405060708);
        const std::size_t bitmapSize = copy[2] | copy[3] << 8 | copy[4] << 16 | copy[5] << 24;
        QCOMPARE(copy.size(), bitmapSize + 2 + 32);
        const Bytes trailer(copy.begin() + long(bitmapSize), copy.end());
        const Bytes expected{'a', 'b', 2, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 8, 7, 6, 5, 4, 3, 2, 1,
                             0, 0, 0, 0, 'P', 'I', 'M', 'O', 'K', 'O', 'R', '1'};
        Bytes sealed = copy;
        reseal(sealed);
        QCOMPARE(sealed, copy);
        QCOMPARE(Bytes(trailer.begin(), trailer.begin() + 22), Bytes(expected.begin(), expected.begin() + 22));
        QCOMPARE(Bytes(trailer.end() - 8, trailer.end()), Bytes(expected.end() - 8, expected.end()));
    }

    void damaged_data()
    {
        QTest::addColumn<Bytes>("bytes");
        const Bytes good = recoveryCopyBytes(sample(4, 4), "ab", 5);
        const std::size_t end = good.size();
        const auto changed = [&](std::function<void(Bytes&)> change, bool sealed) {
            Bytes bytes = good;
            change(bytes);
            if (sealed)
                reseal(bytes);
            return bytes;
        };
        QTest::newRow("empty") << Bytes{};
        QTest::newRow("trailer alone") << Bytes(good.end() - 32, good.end());
        QTest::newRow("last byte cut") << Bytes(good.begin(), good.end() - 1);
        QTest::newRow("pixel changed") << changed([](Bytes& b) { b[60] ^= 1; }, false);
        QTest::newRow("other mark") << changed([&](Bytes& b) { b[end - 1] = '2'; }, true);
        QTest::newRow("name longer than the file") << changed([&](Bytes& b) { set32(b, end - 32, 70000); }, true);
        QTest::newRow("name longer than 4096") << changed([&](Bytes& b) {
            b.insert(b.end() - 32, 4095, 'n');
            set32(b, b.size() - 32, 4097);
        }, true);
        QTest::newRow("zero in the name") << changed([&](Bytes& b) { b[end - 33] = 0; }, true);
        QTest::newRow("other width") << changed([&](Bytes& b) { set32(b, end - 28, 5); }, true);
        QTest::newRow("other height") << changed([&](Bytes& b) { set32(b, end - 24, 3); }, true);
        QTest::newRow("not a bitmap") << changed([](Bytes& b) { b[0] = 'X'; }, true);
        QTest::newRow("65 pixels wide") << recoveryCopyBytes(sample(65, 1), "", 5);
        QTest::newRow("over the cap") << changed([&](Bytes& b) { b.insert(b.end() - 34, 1052705 - end, 0); }, true);
    }
    void damaged()
    {
        QFETCH(Bytes, bytes);
        QVERIFY(!readRecoveryCopy(bytes));
    }

    // A bitmap keeps the colour profile it was read with: its copy holds it,
    // up to the largest bitmap read (1 MiB) with the longest name.
    void pictureWithItsProfileIsRead_data()
    {
        QTest::addColumn<int>("profileSize");
        QTest::addColumn<int>("copySize");
        QTest::newRow("50,000-byte profile") << 50000 << 70650;
        QTest::newRow("bitmap of 1 MiB") << 1032054 << 1052704;
    }
    void pictureWithItsProfileIsRead()
    {
        QFETCH(int, profileSize);
        QFETCH(int, copySize);
        PixelFormat format = PixelFormat::trueColor32();
        format.alphaMask = 0xFF000000;
        format.headerTail.resize(124 - 40, 0);
        set32(format.headerTail, 16, 0x4D424544);  // 'MBED': the profile is in the file
        format.colorProfile.assign(std::size_t(profileSize), 0x5A);
        PixelBuffer picture = sample(64, 64, format);
        picture.setAlpha(1, 0, 0);
        const QString name = "/" + QString(4095, u'n');
        const Bytes bytes = recoveryCopyBytes(picture, name.toStdString(), 1);
        QCOMPARE(bytes.size(), std::size_t(copySize));
        const std::optional<RecoveryCopy> copy = readRecoveryCopy(bytes);
        QVERIFY(copy);
        QVERIFY(copy->picture == picture);
        QCOMPARE(copy->picture.format().colorProfile, format.colorProfile);
    }

    void offerText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("new image") << "" << qint64(0)
                                   << "保存されていない画像が残っています (新規画像, 1970/01/01 00:00)。復元しますか?";
        QTest::newRow("file name part") << "/home/u/絵/a.ico" << qint64(1700000000)
                                        << "保存されていない画像が残っています (a.ico, /home/u/絵, 2023/11/14 22:13)。復元しますか?";
        QTest::newRow("in the root folder") << "/a.ico" << qint64(0)
                                            << "保存されていない画像が残っています (a.ico, /, 1970/01/01 00:00)。復元しますか?";
    }
    void offerText()
    {
        QFETCH(QString, name);
        QFETCH(qint64, time);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(recoveryOfferText(name.toStdString(), time)), text);
    }

    void absoluteName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("working");
        QTest::addColumn<QString>("absolute");
        QTest::newRow("relative") << "pic.bmp" << "/home/u/A" << "/home/u/A/pic.bmp";
        QTest::newRow("dot first") << "./sub/pic.bmp" << "/home/u/A" << "/home/u/A/sub/pic.bmp";
        QTest::newRow("working folder is the root") << "pic.bmp" << "/" << "/pic.bmp";
        QTest::newRow("absolute") << "/x/pic.bmp" << "/home/u/A" << "/x/pic.bmp";
        QTest::newRow("working folder unknown") << "pic.bmp" << "" << "";
    }
    void absoluteName()
    {
        QFETCH(QString, name);
        QFETCH(QString, working);
        QFETCH(QString, absolute);
        QCOMPARE(QString::fromStdString(absoluteFileName(name.toStdString(), working.toStdString())), absolute);
    }

    // A small copy whose header claims 4096 x 4096 pixels of RLE8 is judged
    // by its header: refused with no more memory taken than a copy needs.
    void hugeClaimRefusedBeforeItsPixels()
    {
        Bytes copy{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0};
        const Bytes header{40, 0, 0, 0, 0, 16, 0, 0, 0, 16, 0, 0, 1, 0, 8, 0, 1, 0, 0, 0, 2, 0, 0, 0,
                           0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0};
        copy.insert(copy.end(), header.begin(), header.end());
        copy.insert(copy.end(), {0, 0, 0, 0, 255, 255, 255, 0, 0, 1});
        set32(copy, 2, std::uint32_t(copy.size()));
        copy.insert(copy.end(), {0, 0, 0, 0, 0, 16, 0, 0, 0, 16, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 'P', 'I', 'M', 'O', 'K', 'O', 'R', '1'});
        reseal(copy);
        // In a child, whose peak starts at what it holds now.
        const pid_t child = ::fork();
        if (child == 0) {
            rusage before {};
            rusage after {};
            ::getrusage(RUSAGE_SELF, &before);
            const bool read = bool(readRecoveryCopy(copy));
            ::getrusage(RUSAGE_SELF, &after);
            ::_exit(read ? 1 : after.ru_maxrss - before.ru_maxrss > 8192 ? 2 : 0);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void folder_data()
    {
        QTest::addColumn<QByteArray>("state");  // "-" unset
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("folder");
        QTest::newRow("XDG_STATE_HOME") << QByteArray("/s") << QByteArray("/h") << "/s/pimoko";
        QTest::newRow("relative XDG_STATE_HOME") << QByteArray("s") << QByteArray("/h") << "/h/.local/state/pimoko";
        QTest::newRow("empty XDG_STATE_HOME") << QByteArray("") << QByteArray("/h") << "/h/.local/state/pimoko";
        QTest::newRow("HOME alone") << QByteArray("-") << QByteArray("/h") << "/h/.local/state/pimoko";
        QTest::newRow("empty HOME") << QByteArray("-") << QByteArray("") << "";
        QTest::newRow("relative HOME") << QByteArray("-") << QByteArray("h") << "";
        QTest::newRow("neither") << QByteArray("-") << QByteArray("-") << "";
    }
    void folder()
    {
        QFETCH(QByteArray, state);
        QFETCH(QByteArray, home);
        QFETCH(QString, folder);
        const auto set = [](const char* name, const QByteArray& value) {
            value == "-" ? qunsetenv(name) : qputenv(name, value);
        };
        set("XDG_STATE_HOME", state);
        set("HOME", home);
        QCOMPARE(QString::fromStdString(recoveryFolder()), folder);
    }
};

QTEST_APPLESS_MAIN(RecoveryCopyTest)
#include "tst_recovery_copy.moc"
