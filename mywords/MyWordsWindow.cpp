#include "mywords/MyWordsWindow.h"

#include "board/AnimatedPicture.h"
#include "board/Board.h"
#include "board/BoardDesign.h"
#include "gamedata/Pictures.h"
#include "gamedata/Recordings.h"
#include "platform/files/DataPaths.h"
#include "platform/sound/SoundPlayer.h"
#include "widgets/Twips.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace trouvimo {

struct MyWordsWindow::Texts {
    QString title;
    QString frenchList;
    QString englishList;
    QString familyList; // path, playable words
    QString classList; // path, playable words
    QString gameList; // playable words
    QString startEmpty;
    QString copyGameWords;
    QString newWord;
    QString add;
    QString filter;
    QString words;
    QString photo;
    QString choosePhoto;
    QString record;
    QString stop;
    QString listen;
    QString rename;
    QString remove;
    QString level;
    WordListModel::Texts rows;
    QString empty;
    QString notOneLine; // word
    QString tooLong; // word, letters, most letters
    QString duplicate; // word, line
    QString listFull; // lines
    QString gone;
    QString noName; // word
    QString notAPicture; // file
    QString pictureTooLarge; // file
    QString pictureDamaged; // file
    QString cannotRead; // file
    QString cannotWrite; // file
    QString cannotTrash; // file
    QString busy;
    QString added; // word
    QString renamed; // word, new word
    QString removed; // word
    QString photoStored; // word
    QString recorded; // word
    QString sayTheWord; // word
    QString noMicrophone;
    QString microphoneBusy;
    QString microphoneFailed;
    QString silent;
    QString removeQuestion; // word
    QString renameLabel; // word
    QString pictures; // the picture formats
    QString allFiles;
    QString listStarted; // path
};

namespace {

const MyWordsWindow::Texts& textsFor(Language language);

// The picture frame of the board, where the selected word's picture shows as the game shows it.
QSize pictureFrameSize()
{
    return {roundToPixels(design::kPictureFrame.width / kTwipsPerPixel),
            roundToPixels(design::kPictureFrame.height / kTwipsPerPixel)};
}

QString plain(const QString& caption)
{
    QString text = caption;
    return text.remove(u'&');
}

QPushButton* makeButton(const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(plain(caption));
    button->setAutoDefault(false);
    return button;
}

std::optional<QString> droppedFile(const QMimeData* mime)
{
    if (mime == nullptr || !mime->hasUrls() || mime->urls().isEmpty()
        || !mime->urls().first().isLocalFile())
        return std::nullopt;
    return mime->urls().first().toLocalFile();
}

bool stillHolds(const ListDocument& document, const QString& entry)
{
    const WordTable table = document.table();
    const QString word = entry.toUpper();
    for (int line = 1; line <= table.count; ++line) {
        if (table.entries[line].toUpper() == word)
            return true;
    }
    return false;
}

} // namespace

MyWordsWindow::MyWordsWindow(MyWordsServices services, Language captions, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_services(std::move(services))
    , m_texts(textsFor(captions))
    , m_captions(captions)
    , m_language(captions)
    , m_model(std::make_unique<WordListModel>(m_texts.rows))
{
    setWindowTitle(m_texts.title);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();

    Microphone& microphone = m_services.microphone;
    connect(&microphone, &Microphone::looked, this, [this](bool found) {
        if (!found)
            say(m_texts.noMicrophone);
    });
    connect(&microphone, &Microphone::started, this, [this](int rate) { m_take.emplace(rate); });
    connect(&microphone, &Microphone::heard, this, &MyWordsWindow::heard);
    connect(&microphone, &Microphone::failed, this, &MyWordsWindow::microphoneFailed);
    microphone.look();

    m_reread.setSingleShot(true);
    m_reread.setInterval(300);
    connect(&m_reread, &QTimer::timeout, this, &MyWordsWindow::reload);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_reread.start(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_reread.start(); });
    connect(m_model.get(), &WordListModel::factsArrived, this, &MyWordsWindow::updateControls);

    showList(captions);
}

MyWordsWindow::~MyWordsWindow()
{
    if (m_take || !m_takeEntry.isEmpty())
        m_services.microphone.stop();
    // The view lets go of the model before the model goes.
    m_list->setModel(nullptr);
}

void MyWordsWindow::buildControls()
{
    auto* french = new QRadioButton(m_texts.frenchList, this);
    auto* english = new QRadioButton(m_texts.englishList, this);
    m_frenchList = french;
    m_englishList = english;
    for (QRadioButton* choice : {french, english})
        choice->setAccessibleName(plain(choice->text()));
    connect(french, &QRadioButton::clicked, this, [this] { showList(Language::French); });
    connect(english, &QRadioButton::clicked, this, [this] { showList(Language::English); });

    m_whichList = new QLabel(this);
    m_whichList->setWordWrap(true);
    m_whichList->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_startEmpty = makeButton(m_texts.startEmpty, this);
    m_copyGameWords = makeButton(m_texts.copyGameWords, this);
    connect(m_startEmpty, &QPushButton::clicked, this, [this] { startList(false); });
    connect(m_copyGameWords, &QPushButton::clicked, this, [this] { startList(true); });

    auto* newWordLabel = new QLabel(m_texts.newWord, this);
    m_newWord = new QLineEdit(this);
    m_newWord->setAccessibleName(plain(m_texts.newWord));
    newWordLabel->setBuddy(m_newWord);
    m_add = makeButton(m_texts.add, this);
    m_refusal = new QLabel(this);
    m_refusal->setWordWrap(true);
    QPalette warning = m_refusal->palette();
    warning.setColor(QPalette::WindowText, QColor(170, 0, 0));
    m_refusal->setPalette(warning);
    connect(m_add, &QPushButton::clicked, this, [this] { addWord(m_newWord->text()); });
    connect(m_newWord, &QLineEdit::returnPressed, this, [this] { addWord(m_newWord->text()); });
    connect(m_newWord, &QLineEdit::textEdited, m_refusal, &QLabel::clear);

    auto* filterLabel = new QLabel(m_texts.filter, this);
    m_filter = new QLineEdit(this);
    m_filter->setAccessibleName(plain(m_texts.filter));
    m_filter->setClearButtonEnabled(true);
    filterLabel->setBuddy(m_filter);
    connect(m_filter, &QLineEdit::textChanged, m_model.get(), &WordListModel::setFilter);

    m_list = new QListView(this);
    m_list->setAccessibleName(m_texts.words);
    m_list->setModel(m_model.get());
    m_list->setUniformItemSizes(true);
    m_list->setIconSize(WordListModel::thumbnailSize());
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAcceptDrops(true);
    m_list->viewport()->setAcceptDrops(true);
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MyWordsWindow::updateControls);

    m_pictureFrame = new QWidget(this);
    m_pictureFrame->setFixedSize(pictureFrameSize());
    m_pictureFrame->setAutoFillBackground(true);
    m_pictureFrame->setBackgroundRole(QPalette::Base);
    m_pictureFrame->setAcceptDrops(true);
    m_pictureFrame->installEventFilter(this);
    m_picture = new AnimatedPicture(m_pictureFrame);
    m_word = new QLabel(this);
    QFont bigger = m_word->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.5);
    bigger.setBold(true);
    m_word->setFont(bigger);
    m_choosePhoto = makeButton(m_texts.choosePhoto, this);
    m_record = makeButton(m_texts.record, this);
    m_stop = makeButton(m_texts.stop, this);
    m_listen = makeButton(m_texts.listen, this);
    m_level = new QProgressBar(this);
    m_level->setRange(0, 100);
    m_level->setTextVisible(false);
    m_level->setAccessibleName(m_texts.level);
    m_rename = makeButton(m_texts.rename, this);
    m_remove = makeButton(m_texts.remove, this);
    connect(m_choosePhoto, &QPushButton::clicked, this, &MyWordsWindow::choosePhoto);
    connect(m_record, &QPushButton::clicked, this, &MyWordsWindow::record);
    connect(m_stop, &QPushButton::clicked, this, &MyWordsWindow::stopRecording);
    connect(m_listen, &QPushButton::clicked, this, &MyWordsWindow::listen);
    connect(m_rename, &QPushButton::clicked, this, [this] {
        const QString entry = selectedEntry();
        bool ok = false;
        const QString word =
            QInputDialog::getText(this, plain(m_texts.rename), m_texts.renameLabel.arg(entry),
                                  QLineEdit::Normal, entry, &ok);
        if (ok)
            renameSelected(word);
    });
    connect(m_remove, &QPushButton::clicked, this, [this] { removeSelected(); });

    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* languages = new QHBoxLayout;
    languages->addWidget(french);
    languages->addWidget(english);
    languages->addStretch();
    auto* start = new QHBoxLayout;
    start->addWidget(m_startEmpty);
    start->addWidget(m_copyGameWords);
    start->addStretch();
    auto* adding = new QHBoxLayout;
    adding->addWidget(newWordLabel);
    adding->addWidget(m_newWord, 1);
    adding->addWidget(m_add);
    auto* filtering = new QHBoxLayout;
    filtering->addWidget(filterLabel);
    filtering->addWidget(m_filter, 1);

    auto* left = new QVBoxLayout;
    left->addLayout(adding);
    left->addWidget(m_refusal);
    left->addLayout(filtering);
    left->addWidget(m_list, 1);

    auto* sound = new QHBoxLayout;
    sound->addWidget(m_record);
    sound->addWidget(m_stop);
    sound->addWidget(m_listen);
    auto* changes = new QHBoxLayout;
    changes->addWidget(m_rename);
    changes->addWidget(m_remove);
    auto* right = new QVBoxLayout;
    right->addWidget(m_word);
    right->addWidget(m_pictureFrame, 0, Qt::AlignHCenter);
    right->addWidget(m_choosePhoto);
    right->addLayout(sound);
    right->addWidget(m_level);
    right->addLayout(changes);
    right->addStretch();

    auto* body = new QHBoxLayout;
    body->addLayout(left, 3);
    body->addLayout(right, 2);

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(languages);
    whole->addWidget(m_whichList);
    whole->addLayout(start);
    whole->addLayout(body, 1);
    whole->addWidget(m_message);

    // The whole window fits the smallest screen the game switches to.
    resize(760, 540);
}

void MyWordsWindow::showList(Language language)
{
    m_language = language;
    (language == Language::French ? m_frenchList : m_englishList)->setChecked(true);
    m_refusal->clear();
    reload();
}

bool MyWordsWindow::editable() const
{
    return m_services.family.hasList(languageData(m_language));
}

void MyWordsWindow::reload()
{
    const LanguageData& words = languageData(m_language);
    const int line = selectedLine();
    const QString entry = selectedEntry();
    ListDocument document;
    const int playable = [&] {
        if (editable()) {
            document = m_services.family.readList(words);
        } else {
            const DataPaths& paths = m_services.paths;
            QFile played(paths.resolve(paths.join(words.listFile)).value_or(QString()));
            if (played.open(QIODevice::ReadOnly))
                document = ListDocument(played.readAll());
        }
        const std::vector<EntryVerdict> verdicts = judgeEntries(document.table());
        return static_cast<int>(std::count_if(verdicts.begin(), verdicts.end(), [](const auto& v) {
            return v.problem == EntryProblem::None || v.problem == EntryProblem::Duplicate;
        }));
    }();
    m_model->setDocument(document, m_services.paths, words, m_captions, m_services.probe);
    m_whichList->setText(
        editable() ? (m_services.set == WordSet::Class ? m_texts.classList : m_texts.familyList)
                         .arg(QDir::toNativeSeparators(m_services.family.listPath(words)))
                         .arg(playable)
                   : m_texts.gameList.arg(playable));
    const int found = document.find(line, entry);
    // The word that was selected, or the one now on its line; the first one to begin with.
    selectLine(found != 0 ? found
                          : std::clamp<int>(
                              line, 1, std::max<int>(1, static_cast<int>(document.lineCount()))));
    watch();
    updateControls();
}

void MyWordsWindow::watch()
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    const LanguageData& words = languageData(m_language);
    FamilyWords& family = m_services.family;
    QStringList paths {family.folder(), family.listPath(words)};
    const DataPaths own(family.folder());
    for (const QString& folder : {words.pictureFolder, words.recordingFolder})
        paths.append(own.resolve(own.join(folder.chopped(1))).value_or(QString()));
    for (const QString& path : std::as_const(paths)) {
        if (!path.isEmpty() && QFileInfo::exists(path))
            m_watcher.addPath(path);
    }
}

void MyWordsWindow::selectLine(int line)
{
    const int row = m_model->rowOfLine(line);
    if (row < 0) {
        m_list->setCurrentIndex({});
        updateControls();
        return;
    }
    const QModelIndex index = m_model->index(row);
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index);
}

int MyWordsWindow::selectedLine() const
{
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() ? index.data(WordListModel::LineRole).toInt() : 0;
}

QString MyWordsWindow::selectedEntry() const
{
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() ? index.data(WordListModel::EntryRole).toString() : QString();
}

void MyWordsWindow::updateControls()
{
    const bool canEdit = editable();
    const QModelIndex index = m_list->currentIndex();
    const bool chosen = index.isValid();
    const QString entry = selectedEntry();
    const bool word = chosen && !entry.isEmpty();
    const bool busy = m_take.has_value() || !m_takeEntry.isEmpty();
    m_startEmpty->setVisible(!canEdit);
    m_copyGameWords->setVisible(!canEdit);
    m_newWord->setEnabled(canEdit);
    m_add->setEnabled(canEdit);
    m_choosePhoto->setEnabled(canEdit && word);
    m_record->setEnabled(canEdit && word && !busy);
    m_stop->setEnabled(busy);
    m_listen->setEnabled(word && !index.data(WordListModel::RecordingRole).toString().isEmpty());
    m_rename->setEnabled(canEdit && chosen && !busy);
    m_remove->setEnabled(canEdit && chosen && !busy);
    if (!busy)
        m_level->setValue(0);

    m_word->setText(entry);
    const QString picture = chosen ? index.data(WordListModel::PictureRole).toString() : QString();
    if (picture != m_picture->file()) {
        const std::optional<QSizeF> twips =
            picture.isEmpty() ? std::nullopt : m_picture->load(picture);
        if (!twips) {
            m_picture->clear();
            m_picture->hide();
        } else {
            const QSizeF shown =
                fittedPictureSize(*twips / kTwipsPerPixel, QSizeF(m_pictureFrame->size()));
            const QSize size(roundToPixels(shown.width()), roundToPixels(shown.height()));
            m_picture->setGeometry(QRect(QPoint((m_pictureFrame->width() - size.width()) / 2,
                                                (m_pictureFrame->height() - size.height()) / 2),
                                         size));
            m_picture->show();
        }
    }
    m_pictureFrame->setAccessibleName(m_texts.photo);
}

void MyWordsWindow::say(const QString& text)
{
    m_message->setText(text);
}

void MyWordsWindow::refuse(const QString& text)
{
    m_refusal->setText(text);
    say(text);
}

QString MyWordsWindow::message() const
{
    return m_message->text();
}

QString MyWordsWindow::refusal() const
{
    return m_refusal->text();
}

QString MyWordsWindow::refusalOf(const EditOutcome& outcome) const
{
    switch (outcome.refusal) {
    case EditRefusal::None:
        return {};
    case EditRefusal::Empty:
        return m_texts.empty;
    case EditRefusal::NotOneLine:
        return m_texts.notOneLine.arg(outcome.word);
    case EditRefusal::TooLong:
        return m_texts.tooLong.arg(outcome.word).arg(outcome.letters).arg(Board::kMaxLetters);
    case EditRefusal::Duplicate:
        return m_texts.duplicate.arg(outcome.word).arg(outcome.otherLine);
    case EditRefusal::ListFull:
        return m_texts.listFull.arg(kMaxListLines);
    case EditRefusal::Gone:
        return m_texts.gone;
    }
    return {};
}

QString MyWordsWindow::faultOf(const FolderOutcome& outcome) const
{
    const QString file = QFileInfo(outcome.file).fileName();
    switch (outcome.fault) {
    case FolderFault::None:
        return {};
    case FolderFault::NoName:
        return m_texts.noName.arg(selectedEntry());
    case FolderFault::NotAPicture:
        return m_texts.notAPicture.arg(file);
    case FolderFault::PictureTooLarge:
        return m_texts.pictureTooLarge.arg(file);
    case FolderFault::PictureDamaged:
        return m_texts.pictureDamaged.arg(file);
    case FolderFault::CannotRead:
        return m_texts.cannotRead.arg(outcome.file);
    case FolderFault::CannotWrite:
        return m_texts.cannotWrite.arg(outcome.file);
    case FolderFault::CannotTrash:
        return m_texts.cannotTrash.arg(outcome.file);
    case FolderFault::Busy:
        return m_texts.busy;
    }
    return {};
}

void MyWordsWindow::addWord(const QString& word)
{
    if (!editable())
        return;
    const ListEdit edit = m_services.family.editList(
        languageData(m_language), [&word](ListDocument& document) { return document.add(word); });
    if (!edit.written.done()) {
        refuse(faultOf(edit.written));
    } else if (!edit.outcome.done()) {
        refuse(refusalOf(edit.outcome));
    } else {
        m_newWord->clear();
        m_refusal->clear();
        reload();
        selectLine(edit.outcome.line);
        say(m_texts.added.arg(edit.outcome.word));
    }
}

void MyWordsWindow::renameSelected(const QString& word)
{
    const int line = selectedLine();
    const QString entry = selectedEntry();
    if (!editable() || line == 0)
        return;
    const LanguageData& words = languageData(m_language);
    const ListEdit edit = m_services.family.editList(
        words, [&](ListDocument& document) { return document.rename(line, entry, word); });
    if (!edit.written.done()) {
        say(faultOf(edit.written));
        return;
    }
    if (!edit.outcome.done()) {
        say(refusalOf(edit.outcome));
        return;
    }
    const FolderOutcome files = m_services.family.renameFiles(words, entry, edit.outcome.word,
                                                              stillHolds(edit.document, entry));
    reload();
    selectLine(edit.outcome.line);
    say(files.done() ? m_texts.renamed.arg(entry, edit.outcome.word) : faultOf(files));
}

void MyWordsWindow::removeSelected(bool ask)
{
    const int line = selectedLine();
    const QString entry = selectedEntry();
    if (!editable() || line == 0)
        return;
    if (ask
        && QMessageBox::question(this, plain(m_texts.remove), m_texts.removeQuestion.arg(entry))
            != QMessageBox::Yes)
        return;
    const LanguageData& words = languageData(m_language);
    const ListEdit edit = m_services.family.editList(
        words, [&](ListDocument& document) { return document.remove(line, entry); });
    if (!edit.written.done()) {
        say(faultOf(edit.written));
        return;
    }
    if (!edit.outcome.done()) {
        say(refusalOf(edit.outcome));
        return;
    }
    // A word that another line still holds keeps its picture and recording.
    const FolderOutcome files = entry.isEmpty() || stillHolds(edit.document, entry)
        ? FolderOutcome {}
        : m_services.family.trashFiles(words, entry);
    reload();
    say(files.done() ? m_texts.removed.arg(entry) : faultOf(files));
}

void MyWordsWindow::choosePhoto()
{
    const int line = selectedLine();
    if (line == 0)
        return;
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns.append(u"*."_s + QString::fromLatin1(format));
    const QString file = QFileDialog::getOpenFileName(
        this, plain(m_texts.choosePhoto),
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        m_texts.pictures.arg(patterns.join(u' ')) + u";;"_s + m_texts.allFiles);
    if (!file.isEmpty())
        storePhoto(line, file);
}

void MyWordsWindow::storePhoto(int line, const QString& file)
{
    if (!editable())
        return;
    const QString entry = m_model->document().entry(line);
    if (entry.isEmpty())
        return;
    selectLine(line);
    const FolderOutcome outcome =
        m_services.family.storePhoto(languageData(m_language), entry, file);
    if (outcome.done()) {
        reload();
        say(m_texts.photoStored.arg(entry));
    } else {
        say(outcome.fault == FolderFault::NoName ? m_texts.noName.arg(entry) : faultOf(outcome));
    }
}

void MyWordsWindow::record()
{
    if (!editable() || selectedEntry().isEmpty() || m_take || !m_takeEntry.isEmpty())
        return;
    m_takeLine = selectedLine();
    m_takeEntry = selectedEntry();
    say(m_texts.sayTheWord.arg(m_takeEntry));
    m_services.microphone.start();
    updateControls();
    m_stop->setFocus();
}

void MyWordsWindow::heard(const std::vector<float>& samples)
{
    if (!m_take)
        return;
    const VoiceTake::Step step = m_take->hear(samples);
    m_level->setValue(static_cast<int>(step.level * 100.0F));
    if (step.over)
        finishTake();
}

void MyWordsWindow::stopRecording()
{
    if (m_take) {
        finishTake();
        return;
    }
    m_services.microphone.stop();
    m_takeEntry.clear();
    updateControls();
}

void MyWordsWindow::finishTake()
{
    m_services.microphone.stop();
    const VoiceTake take = std::move(*m_take);
    m_take.reset();
    const QString entry = std::exchange(m_takeEntry, QString());
    if (!take.heardAVoice()) {
        say(m_texts.silent);
        updateControls();
        return;
    }
    const QByteArray wav = m_services.microphone.wav(take.word(), take.sampleRate());
    const FolderOutcome outcome = wav.isEmpty()
        ? FolderOutcome {FolderFault::CannotWrite, entry}
        : m_services.family.storeRecording(languageData(m_language), entry, wav);
    reload();
    say(outcome.done() ? m_texts.recorded.arg(entry) : faultOf(outcome));
    updateControls();
}

void MyWordsWindow::microphoneFailed(MicrophoneFault fault)
{
    m_take.reset();
    m_takeEntry.clear();
    switch (fault) {
    case MicrophoneFault::NoMicrophone:
        say(m_texts.noMicrophone);
        break;
    case MicrophoneFault::Busy:
        say(m_texts.microphoneBusy);
        break;
    case MicrophoneFault::Failed:
        say(m_texts.microphoneFailed);
        break;
    }
    updateControls();
}

void MyWordsWindow::listen()
{
    const QModelIndex index = m_list->currentIndex();
    const QString recording = index.data(WordListModel::RecordingRole).toString();
    if (!recording.isEmpty())
        m_services.sound.play(recording);
}

void MyWordsWindow::startList(bool copyGameWords)
{
    const LanguageData& words = languageData(m_language);
    QByteArray bytes;
    if (copyGameWords) {
        const DataPaths& paths = m_services.paths;
        QFile played(paths.resolve(paths.join(words.listFile)).value_or(QString()));
        if (!played.open(QIODevice::ReadOnly)) {
            say(m_texts.cannotRead.arg(played.fileName()));
            return;
        }
        bytes = played.readAll();
    }
    const ListEdit edit = m_services.family.startList(words, bytes);
    if (!edit.written.done())
        say(faultOf(edit.written));
    else
        say(m_texts.listStarted.arg(m_services.family.listPath(words)));
    reload();
}

bool MyWordsWindow::eventFilter(QObject* watched, QEvent* event)
{
    const bool onList = watched == m_list->viewport();
    const bool onPicture = watched == m_pictureFrame;
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    if (!onList && !onPicture)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (editable() && droppedFile(drag->mimeData())) {
            drag->acceptProposedAction();
            return true;
        }
        return false;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<QString> file = droppedFile(drop->mimeData());
        if (!file)
            return false;
        const int line = onList
            ? m_list->indexAt(drop->position().toPoint()).data(WordListModel::LineRole).toInt()
            : selectedLine();
        drop->acceptProposedAction();
        if (line > 0)
            storePhoto(line, *file);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

namespace {

const MyWordsWindow::Texts& textsFor(Language language)
{
    static const MyWordsWindow::Texts french {
        u"Mes mots"_s,
        u"Mots &français"_s,
        u"Mots an&glais"_s,
        u"L'enfant joue votre liste : %1 (mots jouables : %2)."_s,
        u"Vous changez les mots de la classe, pour chaque élève de cet ordinateur qui n'a pas "
        u"de liste à lui : %1 (mots jouables : %2)."_s,
        u"L'enfant joue la liste du jeu (mots jouables : %1). Elle ne se change pas : "
        u"commencez la vôtre."_s,
        u"Commencer une liste &vide"_s,
        u"Copier les mots du je&u"_s,
        u"Nouveau &mot"_s,
        u"&Ajouter"_s,
        u"F&iltrer"_s,
        u"Mots"_s,
        u"Photo"_s,
        u"Choisir une &photo…"_s,
        u"&Enregistrer"_s,
        u"A&rrêter"_s,
        u"É&couter"_s,
        u"Re&nommer"_s,
        u"Re&tirer"_s,
        u"Niveau du micro"_s,
        {u"photo"_s, u"pas de photo"_s, u"enregistrement"_s, u"pas d'enregistrement"_s,
         u"(ligne vide)"_s, u"ligne %1"_s, unreadLineFinding(Language::French)},
        u"Écrivez un mot : rien n'a été ajouté."_s,
        u"« %1 » contient un caractère qui n'est pas une lettre : rien n'a été écrit."_s,
        u"« %1 » a %2 lettres, le jeu en prend %3 au plus : rien n'a été écrit."_s,
        u"« %1 » figure déjà ligne %2 : rien n'a été écrit."_s,
        u"La liste a déjà les %1 lignes que le jeu lit : un mot de plus ne serait jamais joué."_s,
        u"La liste a changé entre-temps : ce mot n'y est plus. Elle est relue."_s,
        u"« %1 » ne peut pas nommer un fichier : ce mot n'aura ni photo ni enregistrement."_s,
        u"%1 n'est pas une image que le jeu peut montrer : rien n'a changé."_s,
        u"%1 est trop grande pour le jeu : rien n'a changé."_s,
        u"%1 est abîmée, le jeu ne peut pas la montrer : rien n'a changé."_s,
        u"%1 ne peut pas être lu : rien n'a changé."_s,
        u"%1 n'a pas pu être écrit (le disque est-il plein ?) : rien n'a changé."_s,
        u"%1 n'a pas pu aller à la corbeille : rien n'a changé."_s,
        u"Une autre fenêtre change la liste en ce moment : réessayez."_s,
        u"« %1 » est ajouté."_s,
        u"« %1 » devient « %2 »."_s,
        u"« %1 » est retiré ; sa photo et son enregistrement sont dans la corbeille."_s,
        u"La photo de « %1 » est enregistrée."_s,
        u"« %1 » est enregistré : Écouter le fait entendre."_s,
        u"Dites « %1 » dans le micro…"_s,
        u"Aucun micro n'a été trouvé : branchez-en un, ou démarrez le serveur de son, puis "
        u"réessayez. Le reste de la fenêtre fonctionne."_s,
        u"Le micro est occupé par un autre programme, ou son accès est refusé."_s,
        u"Le micro s'est arrêté pendant l'enregistrement : rien n'a été écrit."_s,
        u"Le micro n'a rien entendu : est-il coupé, ou son volume trop bas ? Rien n'a été écrit."_s,
        u"Retirer « %1 » de la liste ? Sa photo et son enregistrement iront à la corbeille."_s,
        u"Nouveau nom de « %1 » :"_s,
        u"Images (%1)"_s,
        u"Tous les fichiers (*)"_s,
        u"Votre liste est commencée : %1"_s,
    };
    static const MyWordsWindow::Texts english {
        u"My words"_s,
        u"&French words"_s,
        u"En&glish words"_s,
        u"The child plays your list: %1 (playable words: %2)."_s,
        u"You are changing the class's words, for every pupil of this computer without a list of "
        u"their own: %1 (playable words: %2)."_s,
        u"The child plays the game's own list (playable words: %1). It cannot be changed: "
        u"start your own."_s,
        u"Start an &empty list"_s,
        u"&Copy the game's words"_s,
        u"New &word"_s,
        u"&Add"_s,
        u"F&ilter"_s,
        u"Words"_s,
        u"Photo"_s,
        u"Choose a &photo…"_s,
        u"&Record"_s,
        u"&Stop"_s,
        u"&Listen"_s,
        u"Re&name"_s,
        u"Re&move"_s,
        u"Microphone level"_s,
        {u"photo"_s, u"no photo"_s, u"recording"_s, u"no recording"_s, u"(empty line)"_s,
         u"line %1"_s, unreadLineFinding(Language::English)},
        u"Write a word: nothing was added."_s,
        u"\"%1\" holds a character that is no letter: nothing was written."_s,
        u"\"%1\" has %2 letters, the game takes %3 at most: nothing was written."_s,
        u"\"%1\" is already on line %2: nothing was written."_s,
        u"The list already has the %1 lines the game reads: one more word would never be played."_s,
        u"The list changed meanwhile: this word is no longer in it. It is read again."_s,
        u"\"%1\" cannot name a file: this word can have no photo and no recording."_s,
        u"%1 is no picture the game can show: nothing changed."_s,
        u"%1 is too large for the game: nothing changed."_s,
        u"%1 is damaged, the game cannot show it: nothing changed."_s,
        u"%1 cannot be read: nothing changed."_s,
        u"%1 could not be written (is the disk full?): nothing changed."_s,
        u"%1 could not go to the trash: nothing changed."_s,
        u"Another window is changing the list just now: try again."_s,
        u"\"%1\" is added."_s,
        u"\"%1\" becomes \"%2\"."_s,
        u"\"%1\" is removed; its photo and its recording are in the trash."_s,
        u"The photo of \"%1\" is stored."_s,
        u"\"%1\" is recorded: Listen plays it."_s,
        u"Say \"%1\" into the microphone…"_s,
        u"No microphone was found: plug one in, or start the sound server, then try again. The "
        u"rest of the window works."_s,
        u"The microphone is held by another program, or access to it was refused."_s,
        u"The microphone stopped during the recording: nothing was written."_s,
        u"The microphone heard nothing: is it muted, or its volume too low? Nothing was "
        u"written."_s,
        u"Remove \"%1\" from the list? Its photo and its recording will go to the trash."_s,
        u"New name of \"%1\":"_s,
        u"Pictures (%1)"_s,
        u"All files (*)"_s,
        u"Your list is started: %1"_s,
    };
    return language == Language::French ? french : english;
}

} // namespace

} // namespace trouvimo
