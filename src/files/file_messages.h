// The texts the Save and Load handlers show. The handlers pick the icons:
//   OverwriteQuestion  question icon, OK and Cancel
//   NotExistMessage    critical icon, OK
//   FileErrorMessage   no icon, OK
#pragma once

#include <QString>

#include <optional>

QString OverwriteQuestion(const QString &fileTitle);
QString NotExistMessage(const QString &fileTitle);

// The message for a file operation's error number; none for success and for a cancelled dialog.
std::optional<QString> FileErrorMessage(int errorNumber);
