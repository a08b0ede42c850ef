// Files of any size or kind through readPictureFile and the listing: special
// files are refused at once, huge ones without being read whole, programs
// read by their headers, and a failed allocation is a FileError like any
// other.
#include "files/codec/bmp_reader.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_picture.h"
#include "files/codec/generic_app_icon.h"
#include "files/codec/pe_icon.h"
#include "files/model/image_listing.h"
#include "files/model/picture_reading.h"
#include "files/codec/system_reason.h"
#include "support/file_bytes.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <new>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace pimoko;

namespace {

// Every allocation of this program passes here. One above the limit is
// refused as a system out of memory refuses it, so that a reader that takes
// a huge file whole fails at once instead of filling the memory.
constexpr std::size_t kAllocationLimit = std::size_t(64) << 20;
std::atomic<std::size_t> allocationLimit{kAllocationLimit};

} // namespace

void* operator new(std::size_t size)
{
    if (size > allocationLimit)
        throw std::bad_alloc();
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

constexpr off_t kTebibyte = off_t(1) << 40;
constexpr off_t kFourGibibytes = off_t(4) << 30;

using Make = std::function<std::string(const QString& folder)>;

// A file of the given start, made `size` bytes long by a hole that takes no
// disk.
Make sparse(const char* name, Bytes start, off_t size)
{
    return [=](const QString& folder) {
        const std::string path = (folder + '/' + name).toStdString();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, start.data(), start.size()) != ssize_t(start.size()) || ::ftruncate(fd, size) != 0)
            qFatal("cannot make %s", path.c_str());
        ::close(fd);
        return path;
    };
}

Make special(const char* name, std::function<bool(const std::string&)> make)
{
    return [=](const QString& folder) {
        const std::string path = (folder + '/' + name).toStdString();
        if (!make(path))
            qFatal("cannot make %s", path.c_str());
        return path;
    };
}

bool makeSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool made = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return made;
}

// A bitmap's headers stating width x height, 24 bits, and nothing more.
Bytes bitmapHeaders(int width, int height)
{
    Bytes b{'B', 'M'};
    put32(b, 0);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, std::uint32_t(width));
    put32(b, std::uint32_t(height));
    put16(b, 1);
    put16(b, 24);
    b.resize(54, 0);
    return b;
}

// Runs read() with allocations above `limit` refused. A read that waits
// (on a pipe) is released after a while by opening the pipe's other end, so
// that the test fails instead of hanging; a read that never waits takes
// microseconds.
template <typename Read>
auto guarded(const std::string& path, std::size_t limit, Read read, bool& waited)
{
    auto result = std::async(std::launch::async, [&] {
        allocationLimit = limit;
        struct Reset {
            ~Reset() { allocationLimit = kAllocationLimit; }
        } reset;
        return read();
    });
    waited = result.wait_for(std::chrono::seconds(20)) != std::future_status::ready;
    if (waited) {
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    return result.get();
}

QString reasonOf(FileProblem problem)
{
    return QString::fromStdString(fileProblemText(problem));
}

} // namespace

Q_DECLARE_METATYPE(Make)

class PictureReadingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;

private slots:
    void initTestCase() { QVERIFY(folder_.isValid()); }

    // reason: the FileError's reason; else refused for its size, else the picture.
    void hugeAndSpecialFilesNeitherWaitNorFillTheMemory_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<qulonglong>("limit");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("sizeRefusal");
        QTest::addColumn<PixelBuffer>("picture");
        const qulonglong none = kAllocationLimit;
        const Bytes program = readDataFile(QStringLiteral("pe/pe64_icon.exe"));
        const QString tooLarge = reasonOf(FileProblem::TooLarge);
        const QString notRegular = reasonOf(FileProblem::NotRegularFile);
        QTest::newRow("1 TiB of nothing as a bitmap")
            << sparse("hole.bmp", {}, kTebibyte) << none << tooLarge << false << PixelBuffer();
        QTest::newRow("1 TiB bitmap of 1000 x 1000")
            << sparse("big.bmp", bitmapHeaders(1000, 1000), kTebibyte) << none << QString() << true << PixelBuffer();
        QTest::newRow("1 TiB bitmap of 64 x 64")
            << sparse("long.bmp", bitmapHeaders(64, 64), kTebibyte) << none << tooLarge << false << PixelBuffer();
        QTest::newRow("1 TiB icon") << sparse("hole.ico", readDataFile(QStringLiteral("icons/depth8.ico")), kTebibyte)
                                    << none << tooLarge << false << PixelBuffer();
        // The caps themselves: 1 MiB for a bitmap, 4 MiB for an icon.
        const Bytes icon = readDataFile(QStringLiteral("icons/depth8.ico"));
        const Bytes bitmap = bitmapFileBytes(PixelBuffer(64, 64, 0x3366CC));
        QTest::newRow("bitmap of exactly 1 MiB")
            << sparse("cap.bmp", bitmap, off_t(1) << 20) << none << QString() << false << readBitmapFile(bitmap);
        QTest::newRow("bitmap of 1 MiB and a byte")
            << sparse("over.bmp", bitmap, (off_t(1) << 20) + 1) << none << tooLarge << false << PixelBuffer();
        QTest::newRow("icon of exactly 4 MiB")
            << sparse("cap.ico", icon, off_t(4) << 20) << none << QString() << false << readIconPicture(icon);
        QTest::newRow("icon of 4 MiB and a byte")
            << sparse("over.ico", icon, (off_t(4) << 20) + 1) << none << tooLarge << false << PixelBuffer();
        QTest::newRow("1 TiB of nothing as a program")
            << sparse("hole.exe", {}, kTebibyte) << none << QString() << false << genericAppIconPicture();
        QTest::newRow("4 GiB program, resources at the start")
            << sparse("long.exe", program, kFourGibibytes) << none << QString() << false << readProgramIconPicture(program);
        QTest::newRow("pipe") << special("pipe.bmp", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; })
                              << none << notRegular << false << PixelBuffer();
        QTest::newRow("folder") << special("folder.ico", [](const std::string& p) { return ::mkdir(p.c_str(), 0755) == 0; })
                                << none << notRegular << false << PixelBuffer();
        QTest::newRow("device")
            << special("zero.bmp", [](const std::string& p) { return ::symlink("/dev/zero", p.c_str()) == 0; }) << none
            << notRegular << false << PixelBuffer();
        QTest::newRow("socket") << special("socket.cur", makeSocket) << none << notRegular << false << PixelBuffer();
        QTest::newRow("memory runs out")
            << sparse("small.bmp", bitmapHeaders(32, 32), 54 + 32 * 32 * 3) << qulonglong(1024)
            << reasonOf(FileProblem::OutOfMemory) << false << PixelBuffer();
    }
    void hugeAndSpecialFilesNeitherWaitNorFillTheMemory()
    {
        QFETCH(Make, make);
        QFETCH(qulonglong, limit);
        QFETCH(QString, reason);
        QFETCH(bool, sizeRefusal);
        QFETCH(PixelBuffer, picture);
        const std::string path = make(folder_.path());
        bool waited = false;
        const QString outcome = guarded(path, limit, [&] {
            try {
                const auto read = readPictureFile(path);
                if (std::holds_alternative<OpenRefusal>(read))
                    return QStringLiteral("refused for its size");
                return std::get<OpenedPicture>(read).picture == picture ? QStringLiteral("the picture")
                                                                        : QStringLiteral("another picture");
            } catch (const FileError& error) {
                return QString::fromUtf8(error.what());
            }
        }, waited);
        QVERIFY2(!waited, "waited on the file");
        const QString expected = !reason.isEmpty() ? QString::fromStdString(cannotOpenText(path, reason.toStdString()))
            : sizeRefusal                          ? QStringLiteral("refused for its size")
                                                   : QStringLiteral("the picture");
        QCOMPARE(outcome, expected);
    }

    // Each image as "<index><* when chosen> <w>x<h> <kind> <bits>".
    void listingReadsHeadersAndDirectoriesOnly_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<QStringList>("images");
        QTest::newRow("4 GiB program")
            << sparse("long.exe", readDataFile(QStringLiteral("pe/pe64_icon.exe")), kFourGibibytes)
            << QStringList{"0 16x16 bitmap 4", "1 32x32 bitmap 8", "2* 32x32 PNG 64"};
        QTest::newRow("1 TiB icon")
            << sparse("long.ico", readDataFile(QStringLiteral("icons/depth4_16_32.ico")), kTebibyte)
            << QStringList{"0 16x16 bitmap 4", "1* 32x32 bitmap 4"};
        QTest::newRow("1 TiB program of nothing") << sparse("hole.exe", {}, kTebibyte) << QStringList{};
    }
    void listingReadsHeadersAndDirectoriesOnly()
    {
        QFETCH(Make, make);
        QFETCH(QStringList, images);
        const std::string path = make(folder_.path());
        bool waited = false;
        const QStringList listed = guarded(path, kAllocationLimit, [&] {
            QStringList lines;
            try {
                static const char* kinds[] = {"missing", "bitmap", "PNG"};
                const std::vector<ListedImage> listing = readImageListing(path);
                for (std::size_t i = 0; i < listing.size(); ++i) {
                    const ListedImage& image = listing[i];
                    lines << QStringLiteral("%1%2 %3x%4 %5 %6")
                                 .arg(i)
                                 .arg(image.chosen ? "*" : "")
                                 .arg(entrySide(image.entry.width))
                                 .arg(entrySide(image.entry.height))
                                 .arg(kinds[int(image.storage.kind)])
                                 .arg(image.storage.bits);
                }
            } catch (const FileError& error) {
                lines << QString::fromUtf8(error.what());
            }
            return lines;
        }, waited);
        QVERIFY(!waited);
        QCOMPARE(listed, images);
    }
};

QTEST_APPLESS_MAIN(PictureReadingTest)
#include "tst_picture_reading.moc"
