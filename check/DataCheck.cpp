#include "check/DataCheck.h"

#include "board/Board.h"
#include "gamedata/Pictures.h"
#include "gamedata/Recordings.h"
#include "gamedata/WordFiles.h"
#include "platform/files/DataPaths.h"
#include "platform/sound/RecordingProbe.h"
#include "words/Letters.h"
#include "words/WordList.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

// A letter count that no list reaches: the report gives every letter of an entry too long.
constexpr qsizetype kLotsOfLetters = std::numeric_limits<qsizetype>::max();

// The report's sentences. The first arguments name the file (and the line) the sentence is about.
struct Wording {
    QString listFormat; // list, encoding, line ends, playable words
    QString windows1252;
    QString utf8;
    QString utf8WithMark;
    QString crLf;
    QString lf;
    QString cr;
    QString singleLine;
    QString listMissing; // list
    QString listUnreadable; // list
    QString listCut; // list, lines read
    QString linesUnread; // list, lines read, last entry read, lines left unread
    QString withoutPicture; // list, words without a picture, playable words
    QString withRecording; // list, words with a recording, playable words
    // A problem is told as where it is, the separator, then what it is; the window that edits a
    // list shows the what beside the word.
    QString lineWhere; // list, line
    QString separator;
    QString emptyEntry;
    QString tooLong; // entry, letters, most letters
    QString loneLineFeed;
    QString duplicate; // entry, first line
    QString noPicture; // entry, picture folder and name
    QString suffixChoice; // the other suffixes, after the GIF's name
    QString unreadLine; // lines read
    QString pictureFault; // what is wrong
    QString pictureEmpty;
    QString pictureTooManyBytes; // megabytes
    QString pictureNotAPicture;
    QString pictureTooManyPixels; // width, height, millions of pixels
    QString pictureDamaged;
    QString recordingFault; // what is wrong
    QString recordingNotASound;
    QString recordingEmpty;
    QString recordingCutShort;
    QString recordingDamagedHeader;
    QString recordingOutOfRange; // channels, rate, most channels, lowest and highest kHz
    // A file of a word's folder that the game never shows or plays.
    struct UnusedFile {
        QString withoutWord; // file, list name
        QString hidden; // file, file used instead, entry
    };
    UnusedFile unusedPicture;
    UnusedFile unusedRecording;
    // A line of the computer's settings left aside: file, line, the line as written.
    QString settingsNotALine;
    QString settingsOtherGroup;
    QString settingsOutsideGroup;
    QString settingsUnknownKey; // and the keys there are
    QString settingsNotTrueOrFalse;
    QString noProblem;
    QString oneProblem;
    QString problems; // count
};

const Wording& wording(Language language)
{
    static const Wording french {
        u"%1 : %2, %3, mots jouables : %4"_s,
        u"Windows-1252"_s,
        u"UTF-8"_s,
        u"UTF-8 avec marque d'ordre des octets"_s,
        u"fins de ligne CR LF"_s,
        u"fins de ligne LF"_s,
        u"fins de ligne CR"_s,
        u"une seule ligne"_s,
        u"%1 : introuvable ; le jeu affiche son message et s'arrête"_s,
        u"%1 : illisible"_s,
        u"%1 : seules les %2 premières lignes sont lues"_s,
        u"%1 : le jeu lit %2 lignes, jusqu'à « %3 », puis s'arrête ; lignes non lues : %4"_s,
        u"%1 : mots sans image : %2 sur %3"_s,
        u"%1 : mots avec un enregistrement : %2 sur %3"_s,
        u"%1 ligne %2"_s,
        u" : "_s,
        u"ignorée, elle est vide"_s,
        u"« %1 » ignoré, %2 lettres, plus de %3"_s,
        u"contient une fin de ligne LF seule, alors que les lignes de la liste finissent par "
        u"CR LF"_s,
        u"« %1 » figure déjà ligne %2"_s,
        u"pas d'image pour « %1 » (%2)"_s,
        u"%1 ou .png, .jpg, .jpeg, .webp"_s,
        u"jamais lue, le jeu s'arrête à la ligne %1"_s,
        u"image illisible, %1"_s,
        u"le fichier est vide"_s,
        u"le fichier dépasse %1 Mo"_s,
        u"ce n'est pas une image GIF, PNG, JPEG ou WebP"_s,
        u"%1 x %2 pixels, plus de %3 millions"_s,
        u"l'image est abîmée"_s,
        u"enregistrement illisible, %1"_s,
        u"ce n'est pas un son WAV, FLAC ou Ogg"_s,
        u"il ne contient aucun son"_s,
        u"le fichier est tronqué"_s,
        u"son en-tête est abîmé"_s,
        u"%1 canaux à %2 Hz, alors que le jeu joue jusqu'à %3 canaux de %4 à %5 kHz"_s,
        {u"%1 : aucun mot de %2 pour cette image"_s,
         u"%1 : jamais montrée, le jeu montre %2 pour « %3 »"_s},
        {u"%1 : aucun mot de %2 pour cet enregistrement"_s,
         u"%1 : jamais joué, le jeu joue %2 pour « %3 »"_s},
        u"%1 ligne %2 : « %3 » n'est pas compris et reste sans effet"_s,
        u"%1 ligne %2 : « %3 » n'est pas le groupe [Trouvimo] ; ses lignes restent sans effet"_s,
        u"%1 ligne %2 : « %3 » précède le groupe [Trouvimo] et reste sans effet"_s,
        u"%1 ligne %2 : « %3 » n'est pas un réglage du jeu (%4) et reste sans effet"_s,
        u"%1 ligne %2 : « %3 » reste sans effet, la valeur doit être true ou false"_s,
        u"Aucun problème."_s,
        u"1 problème."_s,
        u"%1 problèmes."_s,
    };
    static const Wording english {
        u"%1: %2, %3, playable words: %4"_s,
        u"Windows-1252"_s,
        u"UTF-8"_s,
        u"UTF-8 with a byte-order mark"_s,
        u"CR LF line ends"_s,
        u"LF line ends"_s,
        u"CR line ends"_s,
        u"a single line"_s,
        u"%1: missing; the game shows its message and stops"_s,
        u"%1: cannot be read"_s,
        u"%1: only the first %2 lines are read"_s,
        u"%1: the game reads %2 lines, up to \"%3\", then stops; lines left unread: %4"_s,
        u"%1: words without a picture: %2 of %3"_s,
        u"%1: words with a recording: %2 of %3"_s,
        u"%1 line %2"_s,
        u": "_s,
        u"skipped, it is empty"_s,
        u"\"%1\" skipped, %2 letters, more than %3"_s,
        u"holds a lone LF line end, while the list's lines end with CR LF"_s,
        u"\"%1\" is already on line %2"_s,
        u"no picture for \"%1\" (%2)"_s,
        u"%1 or .png, .jpg, .jpeg, .webp"_s,
        u"never read, the game stops at line %1"_s,
        u"the picture cannot be shown, %1"_s,
        u"the file is empty"_s,
        u"the file is larger than %1 MB"_s,
        u"it is no GIF, PNG, JPEG or WebP picture"_s,
        u"%1 x %2 pixels, more than %3 million"_s,
        u"the picture is damaged"_s,
        u"the recording cannot be played, %1"_s,
        u"it is no WAV, FLAC or Ogg sound"_s,
        u"it holds no sound"_s,
        u"the file is cut short"_s,
        u"its header is damaged"_s,
        u"%1 channels at %2 Hz, where the game plays up to %3 channels at %4 to %5 kHz"_s,
        {u"%1: no word of %2 for this picture"_s,
         u"%1: never shown, the game shows %2 for \"%3\""_s},
        {u"%1: no word of %2 for this recording"_s,
         u"%1: never played, the game plays %2 for \"%3\""_s},
        u"%1 line %2: \"%3\" is not understood and is left aside"_s,
        u"%1 line %2: \"%3\" is not the [Trouvimo] group; its lines are left aside"_s,
        u"%1 line %2: \"%3\" comes before the [Trouvimo] group and is left aside"_s,
        u"%1 line %2: \"%3\" is no setting of the game (%4) and is left aside"_s,
        u"%1 line %2: \"%3\" is left aside, the value must be true or false"_s,
        u"No problem."_s,
        u"1 problem."_s,
        u"%1 problems."_s,
    };
    return language == Language::French ? french : english;
}

QString encodingName(const Wording& says, ListEncoding encoding)
{
    switch (encoding) {
    case ListEncoding::Windows1252:
        return says.windows1252;
    case ListEncoding::Utf8:
        return says.utf8;
    case ListEncoding::Utf8WithMark:
        return says.utf8WithMark;
    }
    return {};
}

QString lineEndsName(const Wording& says, LineEnds lineEnds)
{
    switch (lineEnds) {
    case LineEnds::CrLf:
        return says.crLf;
    case LineEnds::Lf:
        return says.lf;
    case LineEnds::Cr:
        return says.cr;
    case LineEnds::None:
        return says.singleLine;
    }
    return {};
}

// A word as the report quotes it: a line end or a tab inside it shows as its symbol (␊, ␉), so
// that every problem stays on a line of its own, and a line that is no word at all (a whole
// list on one line) is cut short.
QString quoted(QString word)
{
    constexpr qsizetype kLongest = 40;
    if (word.size() > kLongest) {
        word.truncate(word[kLongest - 1].isHighSurrogate() ? kLongest + 1 : kLongest);
        word += u'…';
    }
    for (QChar& c : word) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
    }
    return word;
}

// A path as the system writes it: with backslashes on Windows.
QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A data folder as the game writes it ("\Images\Mots\"), relative and as the system writes it.
QString shownFolder(const QString& written)
{
    QString folder = written.mid(1);
    folder.replace(u'\\', u'/');
    return shown(folder);
}

// What checking a list's words found, for the lines that sum it up.
struct WordsChecked {
    int playable = 0;
    int withoutPicture = 0;
    int withRecording = 0;
};

// The files named after words in one folder, the pictures or the recordings, and what the words
// of a list make of them: the files the game uses, and for each word's name
// (WordFileIndex::nameKey) the file the game uses and the word as the report quotes it.
struct WordFileUse {
    WordFileUse(WordFileIndex files, const Wording::UnusedFile& unusedSays)
        : index(std::move(files))
        , says(unusedSays)
    {
    }

    void use(const QString& word, const QString& file, const QString& entry)
    {
        used.insert(file);
        wordOfKey.insert(WordFileIndex::nameKey(word), {file, entry});
    }

    WordFileIndex index;
    const Wording::UnusedFile& says;
    QSet<QString> used;
    QHash<QString, std::pair<QString, QString>> wordOfKey;
};

class Checker {
public:
    Checker(const DataPaths& paths, Language speaking, RecordingProber probe)
        : m_paths(paths)
        , m_says(wording(speaking))
        , m_probe(std::move(probe))
    {
    }

    void checkLanguage(const LanguageData& language);
    void checkSettings(const SettingsFile& settings);
    DataReport report() &&;
    [[nodiscard]] FindingsByLine findings(const LanguageData& language, const WordTable& table);

private:
    void problem(const QString& line)
    {
        m_report.lines.append(line);
        ++m_report.problems;
    }
    // A problem with one line of a list, or with the file of its word.
    void lineProblem(const QString& list, int line, const QString& what)
    {
        problem(m_says.lineWhere.arg(list, QString::number(line)) + m_says.separator + what);
        m_byLine[line].append(what);
    }
    void fileProblem(const QString& file, int line, const QString& what)
    {
        problem(shown(file) + m_says.separator + what);
        m_byLine[line].append(what);
    }
    // A problem with the list as a whole, which the summary tells too.
    void listProblem(const QString& line)
    {
        problem(line);
        m_report.summary.append(line);
    }
    // The lines that say what a list holds, put before those of its entries once they are known.
    void sumUp(qsizetype at, const QString& list, const WordTable& table, ListStatus status,
               const WordsChecked& words);
    // Checks every entry of the list, and the picture and the recording of every playable word.
    WordsChecked checkWords(const QString& list, const WordTable& table,
                            const LanguageData& language, WordFileUse& pictures,
                            WordFileUse& recordings);
    // What keeps the game from showing or playing the file, empty when nothing does.
    [[nodiscard]] QString pictureFault(const QString& file) const;
    [[nodiscard]] QString recordingFault(const QString& file) const;
    void checkFolders(const WordFileUse& files, const LanguageData& language, const QString& list);
    void checkFolder(const WordFileIndex::Folder& folder, const WordFileUse& files,
                     const LanguageData& language);

    const DataPaths& m_paths;
    const Wording& m_says;
    RecordingProber m_probe;
    DataReport m_report;
    FindingsByLine m_byLine;
};

void Checker::checkLanguage(const LanguageData& language)
{
    // Each folder of pictures and of recordings is listed here, once for the whole list.
    WordFileUse pictures(WordFileIndex(m_paths, language.pictureFolder, pictureSuffixes()),
                         m_says.unusedPicture);
    WordFileUse recordings(WordFileIndex(m_paths, language.recordingFolder, recordingSuffixes()),
                           m_says.unusedRecording);

    // The list's path is written by the game itself and never refused.
    const QString listPath = m_paths.resolve(m_paths.join(language.listFile)).value_or(QString());
    WordTable table;
    const ListStatus status = readWordList(listPath, table);
    if (status == ListStatus::Missing) {
        listProblem(m_says.listMissing.arg(shown(listPath)));
    } else if (status == ListStatus::Stopped && table.count == 0) {
        listProblem(m_says.listUnreadable.arg(shown(listPath)));
    } else {
        const qsizetype summaryAt = m_report.lines.size();
        const WordsChecked words =
            checkWords(shown(listPath), table, language, pictures, recordings);
        sumUp(summaryAt, shown(listPath), table, status, words);
    }
    checkFolders(pictures, language, listPath);
    checkFolders(recordings, language, listPath);
}

void Checker::sumUp(qsizetype at, const QString& list, const WordTable& table, ListStatus status,
                    const WordsChecked& words)
{
    QStringList summary {m_says.listFormat.arg(list, encodingName(m_says, table.format.encoding),
                                               lineEndsName(m_says, table.format.lineEnds),
                                               QString::number(words.playable))};
    // A list that goes on past what the game reads, a dictionary for one, is read again to its
    // end to count the lines the child never meets.
    if (status == ListStatus::Stopped) {
        const std::optional<qint64> lines = countListFileLines(list);
        if (lines && *lines > table.count) {
            summary.append(m_says.linesUnread.arg(list, QString::number(table.count),
                                                  quoted(table.entries[table.count]),
                                                  QString::number(*lines - table.count)));
        } else {
            summary.append(m_says.listCut.arg(list, QString::number(table.count)));
        }
        ++m_report.problems;
    }
    if (words.withoutPicture > 0) {
        summary.append(m_says.withoutPicture.arg(list, QString::number(words.withoutPicture),
                                                 QString::number(words.playable)));
    }
    // Recordings are optional, speech synthesis saying the other words: only a list that has
    // some says how many.
    if (words.withRecording > 0) {
        summary.append(m_says.withRecording.arg(list, QString::number(words.withRecording),
                                                QString::number(words.playable)));
    }
    for (qsizetype i = 0; i < summary.size(); ++i)
        m_report.lines.insert(at + i, summary[i]);
    m_report.summary.append(summary);
}

WordsChecked Checker::checkWords(const QString& list, const WordTable& table,
                                 const LanguageData& language, WordFileUse& pictures,
                                 WordFileUse& recordings)
{
    WordsChecked words;
    const std::vector<EntryVerdict> verdicts = judgeEntries(table);
    for (int line = 1; line <= table.count; ++line) {
        const QString& entry = table.entries[line];
        const EntryVerdict& verdict = verdicts[static_cast<std::size_t>(line - 1)];
        switch (verdict.problem) {
        case EntryProblem::Empty:
            lineProblem(list, line, m_says.emptyEntry);
            continue;
        case EntryProblem::TooLong:
            lineProblem(list, line,
                        m_says.tooLong.arg(quoted(entry), QString::number(verdict.letters),
                                           QString::number(Board::kMaxLetters)));
            continue;
        case EntryProblem::Duplicate:
        case EntryProblem::None:
            break;
        }
        ++words.playable;
        if (verdict.loneLineFeed)
            lineProblem(list, line, m_says.loneLineFeed);
        if (verdict.problem == EntryProblem::Duplicate) {
            lineProblem(list, line,
                        m_says.duplicate.arg(quoted(entry), QString::number(verdict.firstLine)));
            continue;
        }

        const QString word = entry.toUpper();
        if (const std::optional<QString> picture = pictures.index.fileOf(word)) {
            pictures.use(word, *picture, quoted(entry));
            if (const QString fault = pictureFault(*picture); !fault.isEmpty())
                fileProblem(*picture, line, m_says.pictureFault.arg(fault));
        } else {
            ++words.withoutPicture;
            const QString gif =
                shownFolder(language.pictureFolder) + quoted(word) + pictureSuffixes().first();
            // The window shows a missing picture as such, beside the word.
            problem(m_says.lineWhere.arg(list, QString::number(line)) + m_says.separator
                    + m_says.noPicture.arg(quoted(entry), m_says.suffixChoice.arg(gif)));
        }
        if (const std::optional<QString> recording = recordings.index.fileOf(word)) {
            ++words.withRecording;
            recordings.use(word, *recording, quoted(entry));
            if (const QString fault = recordingFault(*recording); !fault.isEmpty())
                fileProblem(*recording, line, m_says.recordingFault.arg(fault));
        }
    }
    return words;
}

QString Checker::pictureFault(const QString& file) const
{
    const PictureProbe probe = probePicture(file);
    switch (probe.fault) {
    case PictureFault::None:
        // The game decodes the frames only as the picture plays; the check reads the first.
        return QImageReader(file).read().isNull() ? m_says.pictureDamaged : QString();
    case PictureFault::NotAFile:
    case PictureFault::NotAPicture:
        return m_says.pictureNotAPicture;
    case PictureFault::Empty:
        return m_says.pictureEmpty;
    case PictureFault::TooManyBytes:
        return m_says.pictureTooManyBytes.arg(kMaxPictureBytes / (1024 * 1024));
    case PictureFault::TooManyPixels:
        return m_says.pictureTooManyPixels.arg(QString::number(probe.size.width()),
                                               QString::number(probe.size.height()),
                                               QString::number(kMaxPicturePixels / 1'000'000));
    }
    return {};
}

QString Checker::recordingFault(const QString& file) const
{
    const RecordingProbe probe = m_probe(file);
    switch (probe.fault) {
    case RecordingFault::None:
        return {};
    case RecordingFault::NotASound:
        return m_says.recordingNotASound;
    case RecordingFault::Empty:
        return m_says.recordingEmpty;
    case RecordingFault::CutShort:
        return m_says.recordingCutShort;
    case RecordingFault::DamagedHeader:
        return m_says.recordingDamagedHeader;
    case RecordingFault::OutOfRange:
        return m_says.recordingOutOfRange.arg(
            QString::number(probe.channels), QString::number(probe.sampleRate),
            QString::number(kMostRecordingChannels), QString::number(kLowestRecordingRate / 1000),
            QString::number(kHighestRecordingRate / 1000));
    }
    return {};
}

FindingsByLine Checker::findings(const LanguageData& language, const WordTable& table)
{
    WordFileUse pictures(WordFileIndex(m_paths, language.pictureFolder, pictureSuffixes()),
                         m_says.unusedPicture);
    WordFileUse recordings(WordFileIndex(m_paths, language.recordingFolder, recordingSuffixes()),
                           m_says.unusedRecording);
    (void)checkWords(QString(), table, language, pictures, recordings);
    return std::move(m_byLine);
}

// Every picture or recording in the language's folders of them is either used for a word or worth
// a line: it has no word, or another file of the same folder is used instead. The folders are
// those of the family's own folder and of the game's, up to the one the list comes from: a family
// that has a list of its own does not play the game's words, and the game's files of them are no
// problem. A file that a family's own file of the word replaces is no problem either.
void Checker::checkFolders(const WordFileUse& files, const LanguageData& language,
                           const QString& list)
{
    const QList<WordFileIndex::Folder>& folders = files.index.folders();
    auto folder = folders.cbegin();
    for (const QString& directory : m_paths.directories()) {
        if (folder != folders.cend() && folder->directory == directory)
            checkFolder(*folder++, files, language);
        if (list.startsWith(directory + u'/'))
            break;
    }
}

void Checker::checkFolder(const WordFileIndex::Folder& folder, const WordFileUse& files,
                          const LanguageData& language)
{
    // The plain files a listing of files alone would give: no folder, nothing hidden.
    for (const QFileInfo& info : folder.entries) {
        if (!info.isFile() || info.isHidden())
            continue;
        const QString name = info.fileName();
        const QStringList& suffixes = files.index.suffixes();
        const auto suffix =
            std::find_if(suffixes.cbegin(), suffixes.cend(), [&name](const QString& s) {
                return name.endsWith(s, Qt::CaseInsensitive);
            });
        if (suffix == suffixes.cend() || files.used.contains(info.filePath()))
            continue;
        const auto word =
            files.wordOfKey.constFind(WordFileIndex::nameKey(name.chopped(suffix->size())));
        if (word == files.wordOfKey.cend())
            problem(files.says.withoutWord.arg(shown(info.filePath()), language.listName));
        else if (QFileInfo(word->first).path() == folder.path)
            problem(
                files.says.hidden.arg(shown(info.filePath()), shown(word->first), word->second));
    }
}

void Checker::checkSettings(const SettingsFile& settings)
{
    for (const SettingsFinding& finding : settings.read.findings) {
        QString says;
        switch (finding.kind) {
        case SettingsFinding::Kind::NotALine:
            says = m_says.settingsNotALine;
            break;
        case SettingsFinding::Kind::OtherGroup:
            says = m_says.settingsOtherGroup;
            break;
        case SettingsFinding::Kind::OutsideGroup:
            says = m_says.settingsOutsideGroup;
            break;
        case SettingsFinding::Kind::UnknownKey:
            says = m_says.settingsUnknownKey;
            break;
        case SettingsFinding::Kind::NotTrueOrFalse:
            says = m_says.settingsNotTrueOrFalse;
            break;
        }
        says = says.arg(shown(settings.file), QString::number(finding.line), quoted(finding.text));
        if (finding.kind == SettingsFinding::Kind::UnknownKey)
            says = says.arg(settingKeys().join(u", "_s));
        listProblem(says);
    }
}

DataReport Checker::report() &&
{
    QString count;
    if (m_report.problems == 0)
        count = m_says.noProblem;
    else if (m_report.problems == 1)
        count = m_says.oneProblem;
    else
        count = m_says.problems.arg(m_report.problems);
    m_report.lines.append(count);
    m_report.summary.append(count);
    return std::move(m_report);
}

} // namespace

DataReport checkData(const DataPaths& paths, Language speaking, const RecordingProber& probe,
                     const SettingsFile& settings)
{
    Checker checker(paths, speaking, probe);
    checker.checkSettings(settings);
    for (const Language language : {Language::French, Language::English})
        checker.checkLanguage(languageData(language));
    return std::move(checker).report();
}

std::vector<EntryVerdict> judgeEntries(const WordTable& table)
{
    std::vector<EntryVerdict> verdicts(static_cast<std::size_t>(std::max<qint16>(table.count, 0)));
    QHash<QString, int> firstLine;
    for (int line = 1; line <= table.count; ++line) {
        const QString& entry = table.entries[line];
        EntryVerdict& verdict = verdicts[static_cast<std::size_t>(line - 1)];
        if (entry.isEmpty()) {
            verdict.problem = EntryProblem::Empty;
            continue;
        }
        const QString word = entry.toUpper();
        if (!Board::isPlayable(entry)) {
            verdict.problem = EntryProblem::TooLong;
            verdict.letters = letterCount(word, kLotsOfLetters);
            continue;
        }
        verdict.loneLineFeed = entry.contains(u'\n');
        if (const auto seen = firstLine.constFind(word); seen != firstLine.cend()) {
            verdict.problem = EntryProblem::Duplicate;
            verdict.firstLine = *seen;
            continue;
        }
        firstLine.insert(word, line);
    }
    return verdicts;
}

FindingsByLine findingsByLine(const DataPaths& paths, const LanguageData& language,
                              const WordTable& table, Language speaking,
                              const RecordingProber& probe)
{
    return Checker(paths, speaking, probe).findings(language, table);
}

QString unreadLineFinding(Language speaking)
{
    return wording(speaking).unreadLine.arg(kMaxListLines);
}

Language reportLanguage(const QLocale& locale)
{
    return locale.language() == QLocale::French ? Language::French : Language::English;
}

int runDataCheck(const DataPaths& paths, const RecordingProber& probe, const SettingsFile& settings,
                 CheckDetail detail)
{
    const DataReport report = checkData(paths, reportLanguage(QLocale::system()), probe, settings);
    QTextStream out(stdout);
    for (const QString& line : detail == CheckDetail::Summary ? report.summary : report.lines)
        out << line << u'\n';
    out.flush();
    return report.problems > 0 ? 1 : 0;
}

} // namespace trouvimo
