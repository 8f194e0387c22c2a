#include "platform/DataPaths.h"

#include <QDir>
#include <QFileInfo>

namespace trouvimo {

namespace {

constexpr QChar kWrittenSeparator = u'\\';

bool isAcceptableComponent(QStringView component)
{
    return !component.isEmpty() && component != u"." && component != u".."
        && !component.contains(u'/') && !component.contains(QChar(u'\0'));
}

// The entry of `directory` that the game means by `component`: the one spelled exactly so if it
// exists, otherwise the first (in name order, so the choice does not depend on the disk) that
// differs only in case.
std::optional<QString> findEntry(const QString& directory, const QString& component)
{
    // The game's own data is spelled right nearly always; one look for that spares listing a
    // folder of hundreds of pictures in the middle of a round.
    if (QFileInfo::exists(directory + u'/' + component))
        return component;
    const QStringList entries = QDir(directory).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (QString::compare(entry, component, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return std::nullopt;
}

} // namespace

DataPaths::DataPaths(QString applicationDirectory)
    : m_directory(QDir::cleanPath(QFileInfo(applicationDirectory).absoluteFilePath()))
{
    // The root directory is the only clean path that ends with a separator; the game adds its
    // own separator in front of every relative path.
    if (m_directory.endsWith(u'/'))
        m_directory.chop(1);
}

QString DataPaths::join(QStringView relative) const
{
    return m_directory + relative.toString();
}

std::optional<QString> DataPaths::resolve(const QString& written) const
{
    const QString prefix = m_directory + kWrittenSeparator;
    if (!written.startsWith(prefix))
        return std::nullopt;

    const QStringList components = written.mid(prefix.size()).split(kWrittenSeparator);
    for (const QString& component : components) {
        if (!isAcceptableComponent(component))
            return std::nullopt;
    }

    QString onDisk = m_directory;
    bool stillOnDisk = true;
    for (const QString& component : components) {
        std::optional<QString> entry;
        if (stillOnDisk)
            entry = findEntry(onDisk.isEmpty() ? QStringLiteral("/") : onDisk, component);
        stillOnDisk = entry.has_value();
        onDisk += u'/' + entry.value_or(component);
    }
    return onDisk;
}

} // namespace trouvimo
