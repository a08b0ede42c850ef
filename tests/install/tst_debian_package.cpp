// The Debian package `make package` builds, made by CPack from this build
// into a temporary folder: lintian finds no error and no warning in it (a
// copyright file, a changelog, the manual page gzipped are among its
// checks), and its control fields name the project's maintainer and the
// changelog's version.
#include "support/program_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

ProgramRun run(const char* tool, const QStringList& arguments, const QString& folder)
{
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
    if (program.isEmpty())
        qWarning("%s is not installed", tool);
    return runProgram(arguments, [&](QProcess& process) { process.setWorkingDirectory(folder); }, program);
}

} // namespace

class DebianPackageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void lintianIsClean();
    void controlFieldsAreTheProjects();

private:
    QTemporaryDir folder_;
    QString package_;
};

void DebianPackageTest::initTestCase()
{
    // The tests lie one folder below the build folder.
    const QString build = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/..");
    const ProgramRun cpack =
        run("cpack", {"-G", "DEB", "--config", build + "/CPackConfig.cmake", "-B", folder_.path()}, build);
    QVERIFY2(cpack.status == 0, qPrintable(cpack.out + cpack.err));
    const QStringList made = QDir(folder_.path()).entryList({"pimoko_*.deb"}, QDir::Files);
    QCOMPARE(made.size(), 1);
    package_ = QDir(folder_.path()).filePath(made[0]);
}

// Lintian's errors and warnings (it shows no others unless asked) fail the
// run; the informational tags and its note about running as root do not.
void DebianPackageTest::lintianIsClean()
{
    const ProgramRun lintian = run("lintian", {"--fail-on", "error,warning", package_}, folder_.path());
    QVERIFY2(lintian.status == 0 && lintian.out.isEmpty(), qPrintable(lintian.out + lintian.err));
}

// The maintainer is the project's own, the version the changelog's.
void DebianPackageTest::controlFieldsAreTheProjects()
{
    const auto field = [&](const char* name) {
        return run("dpkg-deb", {"--field", package_, name}, folder_.path()).out.trimmed();
    };
    QCOMPARE(field("Maintainer"), QStringLiteral("ルポミ舎 <pimoko@rupomisha.jp>"));
    QCOMPARE(field("Version"), QStringLiteral("1.8"));
    QTemporaryDir tree;
    QCOMPARE(run("dpkg-deb", {"--extract", package_, tree.path()}, folder_.path()).status, 0);
    const ProgramRun changelog = run(
        "dpkg-parsechangelog",
        {"--file", tree.filePath("usr/share/doc/pimoko/changelog.gz"), "--show-field", "Version"}, folder_.path());
    QCOMPARE(changelog.out.trimmed(), QStringLiteral("1.8"));
}

QTEST_MAIN(DebianPackageTest)
#include "tst_debian_package.moc"
