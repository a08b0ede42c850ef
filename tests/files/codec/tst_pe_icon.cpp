#include "files/codec/generic_app_icon.h"
#include "files/codec/icon_picture.h"
#include "files/codec/pe_icon.h"
#include "support/file_bytes.h"

#include <QFile>
#include <QTest>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace pimoko;

namespace {

using Patch = std::function<void(Bytes&)>;

std::uint32_t get32(const Bytes& b, std::size_t at)
{
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16)
        | (std::uint32_t(b[at + 3]) << 24);
}
// Offsets of a few fields in a PE32+ file from our linker.
std::size_t peHeader(const Bytes& b) { return get32(b, 0x3C); }
std::size_t optionalHeader(const Bytes& b) { return peHeader(b) + 24; }
std::size_t resourceField(const Bytes& b) { return optionalHeader(b) + 112 + 16; }
std::size_t sectionTable(const Bytes& b) { return optionalHeader(b) + (b[peHeader(b) + 20] | (b[peHeader(b) + 21] << 8)); }
// The file offset of the resource tree's root: the .rsrc section is the last.
std::size_t resourceRoot(const Bytes& b)
{
    const std::size_t sections = b[peHeader(b) + 6];
    return get32(b, sectionTable(b) + 40 * (sections - 1) + 20);
}

} // namespace

class TestPeIcon : public QObject {
    Q_OBJECT

private slots:
    // Programs linked by the mingw-w64 tools from the icon files the icon
    // reader's tests check against ImageMagick: a 32 x 32 member shows as the
    // icon file's picture; a 16 x 16 one is doubled.
    void programsGiveTheirFirstIcon_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<int>("scale");
        QTest::addColumn<Patch>("patch");
        const Patch none = [](Bytes&) {};
        QTest::newRow("PE32, 16 and 32") << "pe32_icon" << "depth4_16_32" << 1 << none;
        QTest::newRow("PE32+, PNG member") << "pe64_icon" << "mixed_png" << 1 << none;
        QTest::newRow("PE32+, 16 only, doubled") << "pe64_small" << "only16" << 2 << none;
        QTest::newRow("two numbered groups") << "pe64_two_groups" << "depth24" << 1 << none;
        QTest::newRow("named group first") << "pe32_named_group" << "depth8" << 1 << none;
        // As linked with sections aligned no wider than the file's: the
        // section before .rsrc moved up to end exactly where .rsrc begins.
        QTest::newRow("resources right after the previous section's data") << "pe64_icon" << "mixed_png" << 1
                                                                            << Patch([](Bytes& b) {
            const std::size_t before = sectionTable(b) + 40 * (b[peHeader(b) + 6] - 2);
            set32(b, before + 12, get32(b, before + 40 + 12) - get32(b, before + 16));
        });
    }
    void programsGiveTheirFirstIcon()
    {
        QFETCH(QString, program);
        QFETCH(QString, icon);
        QFETCH(int, scale);
        QFETCH(Patch, patch);
        Bytes file = readDataFile(QStringLiteral("pe/") + program + QStringLiteral(".exe"));
        patch(file);
        const Bytes iconFile = readDataFile(QStringLiteral("icons/") + icon + QStringLiteral(".ico"));
        QVERIFY(!file.empty() && !iconFile.empty());
        const PixelBuffer source = readIconPicture(iconFile);
        PixelBuffer expected(32, 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                expected.setPixel(x, y, source.pixel(x / scale, y / scale));
        QCOMPARE(readProgramIconPicture(file), expected);
    }

    // Not a program, no icon, or damaged on the way: the generic icon, no error.
    void withoutAReadableIconTheGenericIconShows_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<Patch>("patch");
        const Patch none = [](Bytes&) {};
        QTest::newRow("PE32 without resources") << "pe32_no_icon" << none;
        QTest::newRow("PE32+ with strings only") << "pe64_no_icon" << none;
        QTest::newRow("empty file") << "pe64_icon" << Patch([](Bytes& b) { b.clear(); });
        QTest::newRow("an icon file") << "../icons/depth8.ico" << none;
        QTest::newRow("MZ only") << "pe64_icon" << Patch([](Bytes& b) { b.resize(2); });
        QTest::newRow("new header offset past the end") << "pe64_icon" << Patch([](Bytes& b) { set32(b, 0x3C, 0xFFFFFFF0u); });
        QTest::newRow("no PE signature") << "pe64_icon" << Patch([](Bytes& b) { b[peHeader(b) + 1] = 'X'; });
        QTest::newRow("unknown optional header") << "pe64_icon" << Patch([](Bytes& b) { b[optionalHeader(b)] = 0x0C; });
        QTest::newRow("two data directories only")
            << "pe64_icon" << Patch([](Bytes& b) { set32(b, optionalHeader(b) + 108, 2); });
        QTest::newRow("resources outside every section")
            << "pe64_icon" << Patch([](Bytes& b) { set32(b, resourceField(b), 0x7FFF0000u); });
        QTest::newRow("section count past the file")
            << "pe64_icon" << Patch([](Bytes& b) { b[peHeader(b) + 6] = 0xFF; b[peHeader(b) + 7] = 0xFF; });
        QTest::newRow("resource section stored past the end") << "pe64_icon" << Patch([](Bytes& b) {
            const std::size_t sections = b[peHeader(b) + 6];
            set32(b, sectionTable(b) + 40 * (sections - 1) + 20, 0x00FFFFF0u);
        });
        QTest::newRow("type directory count past the end")
            << "pe64_icon" << Patch([](Bytes& b) { b[resourceRoot(b) + 14] = 0xFF; b[resourceRoot(b) + 15] = 0xFF; });
        // Every subdirectory link points back at the root: the walk stops at
        // the third level instead of going round.
        QTest::newRow("directories looping to the root") << "pe64_icon" << Patch([](Bytes& b) {
            const std::size_t root = resourceRoot(b);
            for (std::size_t at = root + 16; at < b.size() - 8; at += 4)
                if ((get32(b, at) & 0x80000000u) != 0 && get32(b, at) < 0x80001000u)
                    set32(b, at, 0x80000000u);
        });
        QTest::newRow("file cut inside the resources") << "pe64_icon" << Patch([](Bytes& b) { b.resize(b.size() - 1500); });
        QTest::newRow("file cut inside the member data") << "pe32_icon" << Patch([](Bytes& b) {
            const std::optional<IconDirEntry> entry = findProgramIcon(b);
            b.resize(entry->dataOffset + 100);
        });
        QTest::newRow("member data not an image") << "pe32_icon" << Patch([](Bytes& b) {
            const std::optional<IconDirEntry> entry = findProgramIcon(b);
            set32(b, entry->dataOffset, 7);
        });
    }
    void withoutAReadableIconTheGenericIconShows()
    {
        QFETCH(QString, program);
        QFETCH(Patch, patch);
        Bytes file = readDataFile(QStringLiteral("pe/") + program + (program.endsWith(".ico") ? "" : ".exe"));
        QVERIFY(!file.empty());
        patch(file);
        QCOMPARE(readProgramIconPicture(file), genericAppIconPicture());
    }

    // Any prefix of a program is either the whole icon or the generic one.
    void everyCutGivesTheIconOrTheGenericOne()
    {
        const Bytes whole = readDataFile(QStringLiteral("pe/pe64_icon.exe"));
        QVERIFY(!whole.empty());
        const PixelBuffer icon = readProgramIconPicture(whole);
        QVERIFY(icon != genericAppIconPicture());
        for (std::size_t size = 0; size < whole.size(); ++size) {
            const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(size));
            const PixelBuffer picture = readProgramIconPicture(cut);
            QVERIFY2(picture == icon || picture == genericAppIconPicture(), qPrintable(QString::number(size)));
        }
    }
};

QTEST_APPLESS_MAIN(TestPeIcon)
#include "tst_pe_icon.moc"
