// Message texts of the bitmap file operations; the wording and spelling are the program's own.
#include "files/file_messages.h"

#include "core/number_text.h"
#include "files/file_errors.h"

QString OverwriteQuestion(const QString &fileTitle)
{
    return QLatin1Char('\'') + fileTitle + QLatin1Char('\'') + QLatin1String(" this exist!")
        + QLatin1String("\r\n") + QLatin1String("Over write?");
}

QString NotExistMessage(const QString &fileTitle)
{
    return QLatin1Char('\'') + fileTitle + QLatin1Char('\'') + QLatin1String(" not exist!")
        + QLatin1String("\r\n") + QLatin1String("Please change file name!");
}

std::optional<QString> FileErrorMessage(int errorNumber)
{
    switch (errorNumber) {
    case kFileOk:
    case kCancelError:
        return std::nullopt;
    case kFileAccessError:
        return QStringLiteral("Drive Problem ! No Write in Drive.");
    default:
        return QLatin1String("Eror in File funktions ! Error Code:") + NumberText(errorNumber);
    }
}
