#include "platform/files/DataPaths.h"

#include "platform/files/StoredNames.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace trouvimo {

namespace {

constexpr QChar kWrittenSeparator = u'\\';

bool isAcceptableComponent(QStringView component)
{
    return !component.isEmpty() && component != u"." && component != u".."
        && !component.contains(u'/') && !component.contains(QChar(u'\0'));
}

// The folders listed during one search, by path: several names looked for in one folder cost a
// single listing, which takes a few hundred microseconds for a folder of hundreds of pictures.
using Listings = QHash<QString, QStringList>;

// The entry of `directory` that the game means by `component`: the one spelled exactly so if it
// exists, otherwise the first (in name order, so the choice does not depend on the disk) that
// differs only in case or in how its accents are stored: a Mac saves "É" as an E followed by an
// accent, Windows and Linux as one character.
std::optional<QString> findEntry(const QString& directory, const QString& component,
                                 Listings& listings)
{
    // The game's own data is spelled right nearly always; one look for that spares listing a
    // folder of hundreds of pictures in the middle of a round.
    if (std::optional<QString> stored = storedEntryName(directory, component))
        return stored;
    auto listed = listings.constFind(directory);
    if (listed == listings.cend()) {
        listed = listings.insert(
            directory,
            QDir(directory).entryList(
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name));
    }
    const QStringList& entries = *listed;
    const QString composed = component.normalized(QString::NormalizationForm_C);
    for (const QString& entry : entries) {
        if (QString::compare(entry.normalized(QString::NormalizationForm_C), composed,
                             Qt::CaseInsensitive)
            == 0)
            return entry;
    }
    return std::nullopt;
}

// The folder as the game joins it to relative paths. The root directory is the only clean path
// that ends with a separator; the game adds its own separator in front of every relative path.
QString cleanDirectory(const QString& directory)
{
    QString clean = QDir::cleanPath(QFileInfo(directory).absoluteFilePath());
    if (clean.endsWith(u'/'))
        clean.chop(1);
    return clean;
}

// The components looked up one by one under `directory`; found says whether every one of them
// is on the disk.
struct Lookup {
    QString path;
    bool found = true;
};

Lookup lookUp(const QString& directory, const QStringList& components, Listings& listings)
{
    Lookup lookup {directory};
    for (const QString& component : components) {
        std::optional<QString> entry;
        if (lookup.found)
            entry = findEntry(lookup.path.isEmpty() ? QStringLiteral("/") : lookup.path, component,
                              listings);
        lookup.found = entry.has_value();
        lookup.path += u'/' + entry.value_or(component);
    }
    return lookup;
}

// The components looked up in each of `directories` in turn, the data folder last. A lending
// folder lends only files: a folder or a pipe that happens to bear a data file's name there must
// not hide the game's own file. A file found nowhere is named in the data folder.
QString resolveIn(const QStringList& directories, const QStringList& components, Listings& listings)
{
    Lookup lookup;
    for (const QString& directory : directories) {
        lookup = lookUp(directory, components, listings);
        if (lookup.found && (directory == directories.last() || QFileInfo(lookup.path).isFile()))
            break;
    }
    return lookup.path;
}

} // namespace

DataPaths::DataPaths(QString dataDirectory, const QStringList& lendingDirectories)
    : m_dataDirectory(cleanDirectory(dataDirectory))
{
    for (const QString& directory : lendingDirectories) {
        if (!directory.isEmpty())
            m_directories.append(cleanDirectory(directory));
    }
    m_directories.append(m_dataDirectory);
}

QString DataPaths::join(QStringView relative) const
{
    return m_dataDirectory + relative.toString();
}

std::optional<QStringList> DataPaths::componentsOf(const QString& written) const
{
    const QString prefix = m_dataDirectory + kWrittenSeparator;
    if (!written.startsWith(prefix))
        return std::nullopt;

    QStringList components = written.mid(prefix.size()).split(kWrittenSeparator);
    for (const QString& component : components) {
        if (!isAcceptableComponent(component))
            return std::nullopt;
    }
    return components;
}

std::optional<QString> DataPaths::resolve(const QString& written) const
{
    const std::optional<QStringList> components = componentsOf(written);
    if (!components)
        return std::nullopt;

    Listings listings;
    return resolveIn(m_directories, *components, listings);
}

std::optional<QString> DataPaths::resolveFirstFile(const QStringList& written) const
{
    QList<QStringList> candidates;
    for (const QString& path : written) {
        std::optional<QStringList> components = componentsOf(path);
        if (!components)
            return std::nullopt;
        candidates.append(std::move(*components));
    }
    if (candidates.isEmpty())
        return std::nullopt;

    Listings listings;
    for (const QString& directory : m_directories) {
        for (const QStringList& components : std::as_const(candidates)) {
            const Lookup lookup = lookUp(directory, components, listings);
            if (lookup.found && QFileInfo(lookup.path).isFile())
                return lookup.path;
        }
    }
    return resolveIn(m_directories, candidates.first(), listings);
}

} // namespace trouvimo
