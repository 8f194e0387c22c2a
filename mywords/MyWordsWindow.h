#pragma once

#include "gamedata/GameData.h"
#include "mywords/FamilyWords.h"
#include "mywords/MyWordsAccess.h"
#include "mywords/VoiceTake.h"
#include "mywords/WordListModel.h"
#include "platform/microphone/Microphone.h"
#include "platform/sound/RecordingProbe.h"

#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace trouvimo {

class AnimatedPicture;
class DataPaths;
class SoundPlayer;

// What the "My words" window uses: where the game finds its files, where the window writes, the
// sound player that plays a recording back, the microphone, and the check's probe of recordings.
struct MyWordsServices {
    const DataPaths& paths;
    FamilyWords& family;
    // Whose words the folder holds, as the window tells the one who edits them.
    WordSet set;
    SoundPlayer& sound;
    Microphone& microphone;
    RecordingProber probe;
};

// The "My words" window, where a family or a teacher gives the child words of their own: the
// list the game plays in each language, each word with its picture, its recording and what the
// check says of it; words added, renamed and removed, a photo chosen or dropped on a word, the
// word recorded from the microphone. Every change is written to the family's folder at once
// (FamilyWords); a list changed meanwhile on the disk, by another window or an editor, is read
// again.
class MyWordsWindow : public QWidget {
    Q_OBJECT

public:
    // The window's texts in one language.
    struct Texts;

    MyWordsWindow(MyWordsServices services, Language captions, QWidget* parent = nullptr);
    ~MyWordsWindow() override;

    // Shows the list of the language.
    void showList(Language language);
    [[nodiscard]] Language listLanguage() const { return m_language; }
    [[nodiscard]] const WordListModel& model() const { return *m_model; }

    // What the controls do, for the keyboard, the mouse and the tests alike.
    void addWord(const QString& word);
    void renameSelected(const QString& word);
    // Asks first, unless told not to.
    void removeSelected(bool ask = true);
    void choosePhoto();
    void storePhoto(int line, const QString& file);
    void record();
    void stopRecording();
    void listen();
    void startList(bool copyGameWords);
    void selectLine(int line);
    // The line of the selected word, 0 without one.
    [[nodiscard]] int selectedLine() const;
    // The last message the window shows, about the last thing done.
    [[nodiscard]] QString message() const;
    [[nodiscard]] QString refusal() const;
    [[nodiscard]] bool recording() const { return m_take.has_value(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void reload();
    void updateControls();
    void say(const QString& text);
    void refuse(const QString& text);
    [[nodiscard]] QString refusalOf(const EditOutcome& outcome) const;
    [[nodiscard]] QString faultOf(const FolderOutcome& outcome) const;
    [[nodiscard]] bool editable() const;
    [[nodiscard]] QString selectedEntry() const;
    void heard(const std::vector<float>& samples);
    void finishTake();
    void microphoneFailed(MicrophoneFault fault);
    void watch();

    MyWordsServices m_services;
    const Texts& m_texts;
    Language m_captions;
    Language m_language = Language::French;
    std::unique_ptr<WordListModel> m_model;
    std::optional<VoiceTake> m_take;
    int m_takeLine = 0;
    QString m_takeEntry;
    QFileSystemWatcher m_watcher;
    QTimer m_reread;

    QRadioButton* m_frenchList = nullptr;
    QRadioButton* m_englishList = nullptr;
    QLabel* m_whichList = nullptr;
    QPushButton* m_startEmpty = nullptr;
    QPushButton* m_copyGameWords = nullptr;
    QLineEdit* m_newWord = nullptr;
    QPushButton* m_add = nullptr;
    QLabel* m_refusal = nullptr;
    QLineEdit* m_filter = nullptr;
    QListView* m_list = nullptr;
    AnimatedPicture* m_picture = nullptr;
    QWidget* m_pictureFrame = nullptr;
    QLabel* m_word = nullptr;
    QPushButton* m_choosePhoto = nullptr;
    QPushButton* m_record = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_listen = nullptr;
    QProgressBar* m_level = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_remove = nullptr;
    QLabel* m_message = nullptr;
};

} // namespace trouvimo
