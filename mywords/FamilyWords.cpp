#include "mywords/FamilyWords.h"

#include "board/BoardDesign.h"
#include "board/BoardWindow.h"
#include "gamedata/Pictures.h"
#include "gamedata/Recordings.h"
#include "gamedata/WordFiles.h"
#include "platform/files/DataPaths.h"
#include "widgets/Twips.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

// No edit holds the list for long; a window that waits longer than this for another one tells so
// rather than hang.
constexpr int kLockWaitMilliseconds = 5000;
// No list of words comes near this; a file larger is not read into the window whole.
constexpr qint64 kLargestList = qint64 {256} * 1024 * 1024;
// A photo written again keeps most of its detail at a fraction of a camera's size.
constexpr int kJpegQuality = 90;

// The monitor that the picture's size is worked out for.
constexpr QSize kLargestMonitor(7680, 4320);

QString fileNameOf(const QString& word, const QString& suffix)
{
    return word.toUpper().normalized(QString::NormalizationForm_C) + suffix;
}

std::optional<QByteArray> readWhole(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!QFileInfo(path).isFile() || file.size() > kLargestList || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool trash(const QStringList& files)
{
    for (const QString& file : files) {
        if (QFileInfo::exists(file) && !QFile::moveToTrash(file))
            return false;
    }
    return true;
}

} // namespace

QSize largestPictureSize()
{
    const double scale = BoardWindow::fullScreenScale(kLargestMonitor);
    return {static_cast<int>(std::ceil(design::kPictureFrame.width / kTwipsPerPixel * scale)),
            static_cast<int>(std::ceil(design::kPictureFrame.height / kTwipsPerPixel * scale))};
}

PhotoPlan planPhoto(const QByteArray& format, QSize size, bool turned, bool transparent,
                    QSize largest)
{
    // An animation is kept whole: writing it again would keep its first frame alone.
    if (format == "gif")
        return {true, u".gif"_s, size};
    const bool tooLarge = size.width() > largest.width() || size.height() > largest.height();
    QString ownSuffix;
    if (format == "png")
        ownSuffix = u".png"_s;
    else if (format == "jpeg")
        ownSuffix = u".jpg"_s;
    else if (format == "webp")
        ownSuffix = u".webp"_s;
    if (!ownSuffix.isEmpty() && !tooLarge && !turned)
        return {true, ownSuffix, size};
    return {false, transparent ? u".png"_s : u".jpg"_s,
            tooLarge ? size.scaled(largest, Qt::KeepAspectRatio) : size};
}

FamilyWords::FamilyWords(QString folder, QByteArray newLineEnd)
    : m_folder(std::move(folder))
    , m_newLineEnd(std::move(newLineEnd))
{
}

QString FamilyWords::folderOf(const QString& written) const
{
    // Found as the game finds it, whatever the case of the folders already there.
    const DataPaths paths(m_folder);
    QString relative = written;
    if (relative.endsWith(u'\\'))
        relative.chop(1);
    return paths.resolve(paths.join(relative)).value_or(m_folder);
}

QString FamilyWords::listPath(const LanguageData& language) const
{
    return folderOf(language.listFile);
}

bool FamilyWords::hasList(const LanguageData& language) const
{
    return QFileInfo(listPath(language)).isFile();
}

ListDocument FamilyWords::readList(const LanguageData& language) const
{
    return ListDocument(readWhole(listPath(language)).value_or(QByteArray()), m_newLineEnd);
}

ListEdit FamilyWords::editList(const LanguageData& language,
                               const std::function<EditOutcome(ListDocument&)>& edit)
{
    ListEdit result;
    const QString path = listPath(language);
    if (!QDir().mkpath(m_folder)) {
        result.written = {FolderFault::CannotWrite, m_folder};
        result.outcome.refusal = EditRefusal::Gone;
        return result;
    }
    // Every window of the game takes this lock around its read and its write of the list.
    QLockFile lock(path + u".lock"_s);
    if (!lock.tryLock(kLockWaitMilliseconds)) {
        result.written = {FolderFault::Busy, path};
        result.outcome.refusal = EditRefusal::Gone;
        return result;
    }
    const std::optional<QByteArray> bytes = readWhole(path);
    if (!bytes) {
        result.written = {FolderFault::CannotRead, path};
        result.outcome.refusal = EditRefusal::Gone;
        return result;
    }
    result.document = ListDocument(*bytes, m_newLineEnd);
    ListDocument edited = result.document;
    result.outcome = edit(edited);
    if (!result.outcome.done())
        return result;
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly) || save.write(edited.bytes()) != edited.bytes().size()
        || !save.commit()) {
        result.written = {FolderFault::CannotWrite, path};
        return result;
    }
    result.document = std::move(edited);
    return result;
}

ListEdit FamilyWords::startList(const LanguageData& language, const QByteArray& bytes)
{
    return editList(language, [&bytes, this](ListDocument& document) {
        EditOutcome outcome;
        if (document.lineCount() > 0 || !document.bytes().isEmpty()) {
            // Another window started it meanwhile: it stays as it is.
            outcome.refusal = EditRefusal::Gone;
            return outcome;
        }
        document = ListDocument(bytes, m_newLineEnd);
        return outcome;
    });
}

QStringList FamilyWords::filesOf(const QString& folder, const QString& word,
                                 const QStringList& suffixes) const
{
    QStringList files;
    const QString key = WordFileIndex::nameKey(word.toUpper());
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        for (const QString& suffix : suffixes) {
            if (name.endsWith(suffix, Qt::CaseInsensitive)
                && WordFileIndex::nameKey(name.chopped(suffix.size())) == key) {
                files.append(entry.filePath());
                break;
            }
        }
    }
    return files;
}

QStringList FamilyWords::pictureFiles(const LanguageData& language, const QString& word) const
{
    return filesOf(folderOf(language.pictureFolder), word, pictureSuffixes());
}

QStringList FamilyWords::recordingFiles(const LanguageData& language, const QString& word) const
{
    return filesOf(folderOf(language.recordingFolder), word, recordingSuffixes());
}

bool FamilyWords::canName(const QString& word)
{
    // What any of the systems the game runs on refuses in a file's name, the names Windows keeps
    // for its devices included: "con" is a French word.
    static const QRegularExpression refused(uR"([\\/:*?"<>|\x00-\x1F\x7F])"_s);
    static const QRegularExpression device(uR"(^(CON|PRN|AUX|NUL|COM\d|LPT\d)$)"_s,
                                           QRegularExpression::CaseInsensitiveOption);
    return !word.isEmpty() && !word.contains(refused) && !word.contains(device)
        && !word.endsWith(u'.') && !word.endsWith(u' ');
}

FolderOutcome FamilyWords::store(const QString& folder, const QString& word, const QString& suffix,
                                 const QByteArray& bytes, const QStringList& replaced)
{
    const QString target = folder + u'/' + fileNameOf(word, suffix);
    if (!QDir().mkpath(folder))
        return {FolderFault::CannotWrite, folder};
    QSaveFile save(target);
    if (!save.open(QIODevice::WriteOnly) || save.write(bytes) != bytes.size())
        return {FolderFault::CannotWrite, target};
    // The files it replaces go before it takes their place, the one of its own name included.
    if (!trash(replaced)) {
        save.cancelWriting();
        return {FolderFault::CannotTrash, target};
    }
    if (!save.commit())
        return {FolderFault::CannotWrite, target};
    return {FolderFault::None, target};
}

FolderOutcome FamilyWords::storePhoto(const LanguageData& language, const QString& word,
                                      const QString& source)
{
    if (!canName(word))
        return {FolderFault::NoName, {}};
    const PictureProbe probe = probePicture(source);
    switch (probe.fault) {
    case PictureFault::None:
        break;
    case PictureFault::NotAFile:
        return {FolderFault::CannotRead, source};
    case PictureFault::Empty:
    case PictureFault::NotAPicture:
        return {FolderFault::NotAPicture, source};
    case PictureFault::TooManyBytes:
    case PictureFault::TooManyPixels:
        return {FolderFault::PictureTooLarge, source};
    }
    QImageReader reader(source);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const bool upright = reader.transformation() == QImageIOHandler::TransformationNone;
    QImage image = reader.read();
    if (image.isNull())
        return {FolderFault::PictureDamaged, source};
    const PhotoPlan plan = planPhoto(format, turned ? probe.size.transposed() : probe.size,
                                     !upright, image.hasAlphaChannel(), largestPictureSize());
    QByteArray bytes;
    if (plan.copy) {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly))
            return {FolderFault::CannotRead, source};
        bytes = file.readAll();
    } else {
        if (image.size() != plan.size)
            image = image.scaled(plan.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, plan.suffix == u".png"_s ? "png" : "jpeg");
        writer.setQuality(kJpegQuality);
        if (!writer.write(image))
            return {FolderFault::CannotWrite, {}};
    }
    return store(folderOf(language.pictureFolder), word, plan.suffix, bytes,
                 pictureFiles(language, word));
}

FolderOutcome FamilyWords::storeRecording(const LanguageData& language, const QString& word,
                                          const QByteArray& wav)
{
    if (!canName(word))
        return {FolderFault::NoName, {}};
    return store(folderOf(language.recordingFolder), word, u".wav"_s, wav,
                 recordingFiles(language, word));
}

FolderOutcome FamilyWords::renameFiles(const LanguageData& language, const QString& from,
                                       const QString& to, bool keep)
{
    if (WordFileIndex::nameKey(from.toUpper()) == WordFileIndex::nameKey(to.toUpper()))
        return {};
    const QStringList moving = pictureFiles(language, from) + recordingFiles(language, from);
    if (moving.isEmpty())
        return {};
    if (!canName(to))
        return {FolderFault::NoName, {}};
    if (!trash(pictureFiles(language, to) + recordingFiles(language, to)))
        return {FolderFault::CannotTrash, {}};
    for (const QString& file : moving) {
        const QFileInfo info(file);
        const QString target = info.path() + u'/' + fileNameOf(to, u'.' + info.suffix().toLower());
        const bool moved = keep ? QFile::copy(file, target) : QFile::rename(file, target);
        if (!moved)
            return {FolderFault::CannotWrite, target};
    }
    return {};
}

FolderOutcome FamilyWords::trashFiles(const LanguageData& language, const QString& word)
{
    const QStringList files = pictureFiles(language, word) + recordingFiles(language, word);
    for (const QString& file : files) {
        if (!QFile::moveToTrash(file))
            return {FolderFault::CannotTrash, file};
    }
    return {};
}

} // namespace trouvimo
