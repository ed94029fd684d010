// The file dialog layer: builds the request, and applies the default extension and the cancel
// rule to the answer.
#include "files/common_dialog.h"

#include <QFileInfo>

CommonDialog::CommonDialog(UserPrompts &prompts, QWidget *parent)
    : m_prompts(prompts)
    , m_parent(parent)
{
}

int CommonDialog::ShowOpen()
{
    return show(FileDialogRequest::Kind::Open);
}

int CommonDialog::ShowSave()
{
    return show(FileDialogRequest::Kind::Save);
}

int CommonDialog::show(FileDialogRequest::Kind kind)
{
    FileDialogRequest request;
    request.kind = kind;
    request.title = m_dialogTitle;
    request.nameFilters = nameFiltersFromFilter(m_filter);
    request.fileName = m_fileName;
    request.defaultSuffix
        = m_defaultExt.startsWith(QLatin1Char('.')) ? m_defaultExt.mid(1) : m_defaultExt;

    QString chosen = m_prompts.askFileName(m_parent, request);
    if (chosen.isEmpty()) {
        m_fileName.clear();
        m_fileTitle.clear();
        return m_cancelError ? kCancelError : kFileOk;
    }
    // Qt's dialog adds the suffix itself; doing it here too keeps every prompt implementation
    // giving the same name.
    if (!request.defaultSuffix.isEmpty()
        && !QFileInfo(chosen).fileName().contains(QLatin1Char('.')))
        chosen += QLatin1Char('.') + request.defaultSuffix;
    m_fileName = chosen;
    m_fileTitle = QFileInfo(chosen).fileName();
    return kFileOk;
}

CommonDialog makeDialogOpen(UserPrompts &prompts, QWidget *parent)
{
    CommonDialog dialog(prompts, parent);
    dialog.setDialogTitle(QStringLiteral("Tranziens betöltése"));
    dialog.setDefaultExt(QStringLiteral("bmp"));
    dialog.setFileName(QLatin1String(kProposedFileName));
    return dialog;
}

CommonDialog makeDialogSave(UserPrompts &prompts, QWidget *parent)
{
    CommonDialog dialog(prompts, parent);
    dialog.setDialogTitle(QStringLiteral("Tranziens mentése"));
    dialog.setFileName(QStringLiteral("Tranziens"));
    return dialog;
}

namespace {

QStringList qtPatterns(const QString &patterns)
{
    QStringList result;
    for (QString pattern : patterns.split(QLatin1Char(';'))) {
        pattern = pattern.trimmed();
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        if (!pattern.isEmpty())
            result.append(pattern);
    }
    return result;
}

} // namespace

QStringList nameFiltersFromFilter(const QString &filter)
{
    QStringList result;
    const QStringList pieces = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        const QString &description = pieces.at(i);
        const QStringList patterns = qtPatterns(pieces.at(i + 1));
        if (patterns.isEmpty())
            continue;
        result.append(
            description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return result;
}
