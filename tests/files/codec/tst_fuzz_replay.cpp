// Every seed file and every kept fault of the file-reader fuzzers, fed to the
// fuzzer's own checks (fuzz/fuzz_targets.h). Runs in the normal and in the
// sanitizer build, so a reader that reads out of bounds on any of them fails
// here without libFuzzer.
#include "../../../fuzz/fuzz_targets.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>
#include <vector>

namespace {

using Harness = std::function<void(std::span<const std::uint8_t>)>;

Harness harnessFor(const QString& name)
{
    if (name == u"bmp_file")
        return pimoko::fuzz::bmpFile;
    if (name == u"icon_file")
        return pimoko::fuzz::iconFile;
    if (name == u"pe_file")
        return pimoko::fuzz::peFile;
    if (name == u"png_file")
        return pimoko::fuzz::pngFile;
    if (name == u"cursor_file")
        return [](std::span<const std::uint8_t> file) { pimoko::fuzz::cursorFile(file, [](const pimoko::IconImage&) {}); };
    return {};
}

const QStringList kHarnesses = {"bmp_file", "icon_file", "pe_file", "cursor_file", "png_file"};

} // namespace

class TestFuzzReplay : public QObject {
    Q_OBJECT
private slots:
    void eachHarnessHasSeeds()
    {
        for (const QString& name : kHarnesses) {
            QVERIFY2(harnessFor(name), qPrintable(name));
            const QDir seeds(QStringLiteral(PIMOKO_SOURCE_DIR "/fuzz/corpus/") + name);
            QVERIFY2(!seeds.entryList(QDir::Files).isEmpty(), qPrintable(seeds.path() + " holds no seed files"));
        }
    }

    void replay_data()
    {
        QTest::addColumn<QString>("harness");
        QTest::addColumn<QString>("path");
        for (const QString& kind : {QStringLiteral("corpus"), QStringLiteral("regressions")})
            for (const QString& name : kHarnesses) {
                const QDir folder(QStringLiteral(PIMOKO_SOURCE_DIR "/fuzz/%1/%2").arg(kind, name));
                for (const QString& file : folder.entryList(QDir::Files, QDir::Name))
                    QTest::addRow("%s/%s/%s", qPrintable(kind), qPrintable(name), qPrintable(file))
                        << name << folder.filePath(file);
            }
    }

    void replay()
    {
        QFETCH(QString, harness);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
        const QByteArray bytes = file.readAll();
        // Exactly the file's bytes, in a block of their own, so that a read
        // one past the end is caught by the address sanitizer.
        const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        try {
            harnessFor(harness)(std::span(data.data(), data.size()));
        } catch (const pimoko::fuzz::CheckFailed& failed) {
            QFAIL(qPrintable(QStringLiteral("check failed: ") + QString::fromLatin1(failed.what)));
        }
    }
};

QTEST_APPLESS_MAIN(TestFuzzReplay)
#include "tst_fuzz_replay.moc"
