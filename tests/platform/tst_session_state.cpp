#include "platform/session_state.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace pimoko;

namespace {

// What the user's own Qt settings hold from an earlier run: a custom colour.
constexpr QRgb kColourOfAnEarlierRun = 0xFFFF0000;

QTemporaryDir* configFolder()
{
    static QTemporaryDir folder;
    return &folder;
}

QString settingsFile() { return configFolder()->filePath(QStringLiteral("QtProject.conf")); }

} // namespace

// Qt's dialogs in a run of the editor: custom colours live for the run
// only, and the buttons speak Japanese.
class SessionStateTest : public QObject {
    Q_OBJECT
private slots:
    void customColoursLiveForTheRunOnly()
    {
        // Nothing of an earlier run comes back...
        QCOMPARE(QColorDialog::customColor(0).rgba(), QColor(Qt::white).rgba());
        // ...what this run chooses stays for the run...
        QColorDialog::setCustomColor(0, QColor(0, 0x80, 0));
        delete new QColorDialog;
        QCOMPARE(QColorDialog::customColor(0).rgba(), QColor(0, 0x80, 0).rgba());
        // ...and nothing of it reaches the user's settings.
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(!text.contains(QByteArray::number(QColor(0, 0x80, 0).rgba())), text.constData());
        QVERIFY(text.contains(QByteArray::number(kColourOfAnEarlierRun)));
    }

    void standardButtonsSpeakJapanese()
    {
        QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Ok);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    }
};

int main(int argc, char* argv[])
{
    // The user's config folder, holding Qt's settings from an earlier run.
    qputenv("XDG_CONFIG_HOME", configFolder()->path().toLocal8Bit());
    QFile file(settingsFile());
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(settingsFile()));
    file.write("[Qt]\ncustomColors\\0=" + QByteArray::number(kColourOfAnEarlierRun) + "\n");
    file.close();

    QApplication app(argc, argv);
    keepNoSettingsBetweenRuns();
    useJapaneseQtDialogs();
    SessionStateTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_session_state.moc"
