#include "app/action_list.h"

#include "app/glyph_list.h"
#include "app/hints.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>

namespace pimoko {

namespace {

QAction* makeAction(QObject* parent, const char* name, const QString& caption, const QString& hint,
                    QKeySequence shortcut, int glyphIndex)
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        applyHint(action, hint);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // The modeless about box must not swallow the commands' keys.
        action->setShortcutContext(Qt::ApplicationShortcut);
    }
    if (glyphIndex >= 0)
        action->setIcon(glyphIcon(glyphIndex));
    return action;
}

} // namespace

ActionList::ActionList(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("ActionList1"));
    const QKeySequence none;
    ActNew = makeAction(this, "ActNew", QStringLiteral("新規作成(&N)"), QStringLiteral("新規作成|新規作成状態にします。"),
                        QKeySequence(Qt::CTRL | Qt::Key_N), 0);
    ActOpen = makeAction(this, "ActOpen", QStringLiteral("開く(&O)"), QStringLiteral("開く|ファイルを読み込んで開きます。"),
                         QKeySequence(Qt::CTRL | Qt::Key_O), 1);
    ActSave = makeAction(this, "ActSave", QStringLiteral("保存(&S)"), QStringLiteral("保存|現在のファイルに上書き保存します。"),
                         QKeySequence(Qt::CTRL | Qt::Key_S), 2);
    ActSaveAs = makeAction(this, "ActSaveAs", QStringLiteral("名前を付けて保存"),
                           QStringLiteral("名前を付けて保存|この画像に名前を付けて指定された場所に保存します。"), none, 18);
    ActPrint = makeAction(this, "ActPrint", QStringLiteral("印刷(&P)"), QStringLiteral("印刷|この画像を印刷します。"),
                          QKeySequence(Qt::CTRL | Qt::Key_P), 3);
    ActExit = makeAction(this, "ActExit", QStringLiteral("終了(&X)"), QStringLiteral("終了|このプログラムを終了します。"), none, 21);
    ActUndo = makeAction(this, "ActUndo", QStringLiteral("レスキュー(&U)"), QStringLiteral("レスキュー|一回前の操作状態に戻します。"),
                         QKeySequence(Qt::CTRL | Qt::Key_U), 4);
    ActSize = makeAction(this, "ActSize", QStringLiteral("キャンバスのサイズ変更"),
                         QStringLiteral("サイズ変更|キャンバスのサイズを変更できます。"), none, 22);
    ActBC = makeAction(this, "ActBC", QStringLiteral("バックパネルの色変更"), QStringLiteral("パネル色変更|バックパネルの色を変更します"),
                       none, 9);
    ActMakeCursor = makeAction(this, "ActMakeCursor", QStringLiteral("カーソル作成"),
                               QStringLiteral("カーソル作成|カーソル作成モードにします"), none, 5);
    Act90 = makeAction(this, "Act90", QStringLiteral("回転"), QStringLiteral("回転|画像を右に90度回転します"), none, 25);
    ActHantenRL = makeAction(this, "ActHantenRL", QStringLiteral("左右反転"), QStringLiteral("左右反転|画像左右を反転します"), none, 23);
    ActHantenTB = makeAction(this, "ActHantenTB", QStringLiteral("上下反転"), QStringLiteral("上下反転|画像の上下を反転します"), none, 24);
    ActAbout = makeAction(this, "ActAbout", QStringLiteral("バージョン情報"), QString(), none, -1);

    // Cursor creation is reached only through opening a cursor file.
    ActMakeCursor->setVisible(false);
    ActUndo->setEnabled(false);
}

} // namespace pimoko
