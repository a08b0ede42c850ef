#include "files/codec/system_reason.h"

#include <cerrno>
#include <cstring>

namespace pimoko {

std::string systemReasonText(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return "ファイルまたはフォルダが見つかりません";
    case EACCES:
        return "アクセスが拒否されました";
    case EPERM:
        return "この操作は許可されていません";
    case EROFS:
        return "読み取り専用のファイル システムです";
    case ENOSPC:
        return "ディスクの空き領域が足りません";
    case EDQUOT:
        return "ディスクの使用量の制限を超えました";
    case EISDIR:
        return "ファイルではなくフォルダです";
    case ENOTDIR:
        return "パスの途中にフォルダでないものがあります";
    case ENAMETOOLONG:
        return "ファイル名が長すぎます";
    case ELOOP:
        return "シンボリック リンクが多すぎるか、循環しています";
    case EIO:
        return "入出力エラーが発生しました";
    case EFBIG:
        return "ファイルが大きすぎます";
    case ENOMEM:
        return "メモリが足りません";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case EBUSY:
    case ETXTBSY:
        return "ファイルは使用中です";
    case ENXIO:
    case ENODEV:
        return "デバイスがありません";
    case EEXIST:
        return "ファイルは既に存在します";
    case EXDEV:
        return "別のファイル システムには移せません";
    default: {
        // strerror_r's GNU form: the text may be a static string rather
        // than the buffer.
        char buffer[256] = {};
        return ::strerror_r(errorNumber, buffer, sizeof buffer);
    }
    }
}

std::string fileProblemText(FileProblem problem)
{
    switch (problem) {
    case FileProblem::ChangedWhileRead:
        return "読み込み中にファイルが変更されました";
    case FileProblem::TooLarge:
        return "ファイルが大きすぎます";
    case FileProblem::NotRegularFile:
        return "通常のファイルではありません";
    case FileProblem::OutOfMemory:
        return "メモリが足りません";
    }
    return {};
}

} // namespace pimoko
