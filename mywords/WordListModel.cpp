#include "mywords/WordListModel.h"

#include "board/BoardDesign.h"
#include "gamedata/Pictures.h"
#include "gamedata/Recordings.h"
#include "gamedata/WordFiles.h"
#include "platform/files/DataPaths.h"
#include "widgets/Twips.h"

#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

// A slice of the filter takes a few milliseconds, which leaves the window free between slices.
constexpr int kFilterSlice = 20000;
constexpr double kThumbnailScale = 0.3;

QSizeF pictureFrame()
{
    return {design::kPictureFrame.width / kTwipsPerPixel,
            design::kPictureFrame.height / kTwipsPerPixel};
}

// The facts of a list, found where the game finds its files and judged by the check.
LineFacts gatherFacts(const ListDocument& document, const DataPaths& paths,
                      const LanguageData& language, Language speaking, const RecordingProber& probe)
{
    LineFacts facts;
    const WordTable table = document.table();
    const WordFileIndex pictures(paths, language.pictureFolder, pictureSuffixes());
    const WordFileIndex recordings(paths, language.recordingFolder, recordingSuffixes());
    facts.pictures.resize(static_cast<std::size_t>(document.lineCount()));
    facts.recordings.resize(static_cast<std::size_t>(document.lineCount()));
    for (int line = 1; line <= table.count; ++line) {
        const QString word = table.entries[line].toUpper();
        if (word.isEmpty())
            continue;
        const auto at = static_cast<std::size_t>(line - 1);
        facts.pictures[at] = pictures.fileOf(word).value_or(QString());
        facts.recordings[at] = recordings.fileOf(word).value_or(QString());
    }
    facts.findings = findingsByLine(paths, language, table, speaking, probe);
    return facts;
}

// The picture as the game shows it in its frame, the frame and the picture shrunk alike.
QImage makeThumbnail(const QString& file)
{
    QImage thumbnail(WordListModel::thumbnailSize(), QImage::Format_ARGB32_Premultiplied);
    thumbnail.fill(Qt::transparent);
    const PictureProbe probe = probePicture(file);
    if (probe.fault != PictureFault::None)
        return thumbnail;
    const QSizeF shown = fittedPictureSize(QSizeF(probe.size), pictureFrame()) * kThumbnailScale;
    const QSize size(std::max(1, static_cast<int>(std::lround(shown.width()))),
                     std::max(1, static_cast<int>(std::lround(shown.height()))));
    QImageReader reader(file);
    reader.setAutoTransform(true);
    reader.setScaledSize(size);
    const QImage picture = reader.read();
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect place(
        QPoint((thumbnail.width() - size.width()) / 2, (thumbnail.height() - size.height()) / 2),
        size);
    painter.drawImage(place, picture);
    return thumbnail;
}

} // namespace

WordListModel::WordListModel(Texts texts, QObject* parent)
    : QAbstractListModel(parent)
    , m_texts(std::move(texts))
    , m_generation(std::make_shared<int>(0))
{
    m_filterSlices.setInterval(0);
    connect(&m_filterSlices, &QTimer::timeout, this, &WordListModel::filterSlice);
}

WordListModel::~WordListModel()
{
    // What the other threads have not begun is dropped with the generation; what they are doing
    // is waited for, as it ends with a call to this model.
    m_generation.reset();
    m_pool.waitForDone();
}

QSize WordListModel::thumbnailSize()
{
    const QSizeF frame = pictureFrame() * kThumbnailScale;
    return {static_cast<int>(std::lround(frame.width())),
            static_cast<int>(std::lround(frame.height()))};
}

void WordListModel::setDocument(const ListDocument& document, const DataPaths& paths,
                                const LanguageData& language, Language speaking,
                                const RecordingProber& probe)
{
    beginResetModel();
    m_document = document;
    m_facts = {};
    m_factsReady = false;
    m_thumbnails.clear();
    m_thumbnailsAsked.clear();
    m_rows.clear();
    m_filterNext = 0;
    m_filterSlices.stop();
    endResetModel();
    m_generation = std::make_shared<int>(*m_generation + 1);
    setFilter(m_filter);

    std::weak_ptr<int> generation = m_generation;
    m_pool.start([this, generation, document, paths, language, speaking, probe] {
        if (generation.expired())
            return;
        LineFacts facts = gatherFacts(document, paths, language, speaking, probe);
        QMetaObject::invokeMethod(
            this,
            [this, generation, facts = std::move(facts)]() mutable {
                if (generation.lock() != m_generation)
                    return;
                m_facts = std::move(facts);
                m_factsReady = true;
                if (!m_rows.empty())
                    emit dataChanged(index(0), index(static_cast<int>(m_rows.size()) - 1));
                emit factsArrived();
            },
            Qt::QueuedConnection);
    });
}

void WordListModel::setFilter(const QString& text)
{
    m_filter = text;
    beginResetModel();
    m_rows.clear();
    endResetModel();
    m_filterNext = 1;
    filterSlice();
    if (m_filterNext > 0)
        m_filterSlices.start();
}

void WordListModel::filterSlice()
{
    const auto lines = static_cast<int>(m_document.lineCount());
    const int end = std::min(lines + 1, m_filterNext + kFilterSlice);
    std::vector<int> found;
    for (int line = m_filterNext; line < end; ++line) {
        if (m_filter.isEmpty() || m_document.entry(line).contains(m_filter, Qt::CaseInsensitive))
            found.push_back(line);
    }
    if (!found.empty()) {
        const auto first = static_cast<int>(m_rows.size());
        beginInsertRows({}, first, first + static_cast<int>(found.size()) - 1);
        m_rows.insert(m_rows.end(), found.begin(), found.end());
        endInsertRows();
    }
    m_filterNext = end > lines ? 0 : end;
    if (m_filterNext == 0) {
        m_filterSlices.stop();
        emit filtered();
    }
}

int WordListModel::rowOfLine(int line) const
{
    const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), line);
    return found != m_rows.end() && *found == line ? static_cast<int>(found - m_rows.begin()) : -1;
}

int WordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QString WordListModel::describe(int line) const
{
    const auto at = static_cast<std::size_t>(line - 1);
    QStringList parts;
    if (line > kMaxListLines) {
        parts.append(m_texts.unread);
    } else if (m_factsReady) {
        parts.append(m_facts.pictures[at].isEmpty() ? m_texts.noPicture : m_texts.picture);
        parts.append(m_facts.recordings[at].isEmpty() ? m_texts.noRecording : m_texts.recording);
        parts.append(m_facts.findings.value(line));
    }
    return parts.join(u", "_s);
}

QVariant WordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int line = m_rows[static_cast<std::size_t>(index.row())];
    const auto at = static_cast<std::size_t>(line - 1);
    const bool known = m_factsReady && line <= kMaxListLines;
    switch (role) {
    case Qt::DisplayRole: {
        const QString entry = m_document.entry(line);
        const QString word = entry.isEmpty() ? m_texts.emptyLine : entry;
        return word + u"    "_s + m_texts.lineNumber.arg(line) + u'\n' + describe(line);
    }
    case Qt::AccessibleTextRole: {
        const QString entry = m_document.entry(line);
        return (entry.isEmpty() ? m_texts.emptyLine : entry) + u", "_s + describe(line);
    }
    case Qt::DecorationRole: {
        const QString picture = known ? m_facts.pictures[at] : QString();
        if (picture.isEmpty())
            return {};
        if (const auto found = m_thumbnails.constFind(picture); found != m_thumbnails.cend())
            return *found;
        thumbnailNeeded(picture);
        return {};
    }
    case LineRole:
        return line;
    case EntryRole:
        return m_document.entry(line);
    case PictureRole:
        return known ? m_facts.pictures[at] : QString();
    case RecordingRole:
        return known ? m_facts.recordings[at] : QString();
    default:
        return {};
    }
}

void WordListModel::thumbnailNeeded(const QString& picture) const
{
    if (m_thumbnailsAsked.contains(picture))
        return;
    m_thumbnailsAsked.insert(picture);
    std::weak_ptr<int> generation = m_generation;
    auto* self = const_cast<WordListModel*>(this);
    m_pool.start([self, generation, picture] {
        if (generation.expired())
            return;
        const QImage thumbnail = makeThumbnail(picture);
        QMetaObject::invokeMethod(
            self,
            [self, generation, picture, thumbnail] {
                if (generation.lock() == self->m_generation)
                    self->thumbnailArrived(picture, thumbnail);
            },
            Qt::QueuedConnection);
    });
}

void WordListModel::thumbnailArrived(const QString& picture, const QImage& thumbnail)
{
    m_thumbnails.insert(picture, thumbnail);
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        const auto at = static_cast<std::size_t>(m_rows[row] - 1);
        if (at < m_facts.pictures.size() && m_facts.pictures[at] == picture) {
            const QModelIndex changed = index(static_cast<int>(row));
            emit dataChanged(changed, changed, {Qt::DecorationRole});
        }
    }
}

} // namespace trouvimo
