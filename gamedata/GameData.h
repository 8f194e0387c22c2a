#pragma once

#include <QString>
#include <QStringView>

namespace trouvimo {

class DataPaths;
class SoundPlayer;

// The data files the game reads are written as paths relative to its folder, with backslashes
// between components (DataPaths finds them on disk whatever their case); their names are part
// of what parents and teachers edit, so they never change.

// The sounds of the game, one for each moment that has one.
enum class Cue {
    Greeting, // the start screen opens
    BoardOpens, // the board opens
    NextWord, // the play button is pressed
    TileChosen, // a tile is clicked and sets off
    Reset, // an answer slot is clicked and the word starts again
    Solved, // the slots spell the word
    Goodbye, // the board closes
};

[[nodiscard]] QStringView cueFile(Cue cue);

// Plays the cue's file from the game's folder in the background; a missing file plays nothing.
void playCue(Cue cue, const DataPaths& paths, SoundPlayer& player);

enum class Language { French, English };

// What changes with the language: the board's texts and the files of words and pictures.
struct LanguageData {
    QString boardTitle;
    QString playCaption;
    QString quitCaption;
    QString difficultCaption;
    QString endMessage;
    // The word list: its name as the missing-list message gives it, and its path.
    QString listName;
    QString listFile;
    // The folder of the words' pictures, ending with a separator: a word's picture is this
    // folder, the word in capitals, then the file's suffix (findPicture()).
    QString pictureFolder;
    // The folder of the words' recordings, a family's voice saying each word, named as the
    // pictures are (findRecording()).
    QString recordingFolder;
    // The language in which speech synthesis says the words: French of France, British English.
    QString speechLocale;
    // The board's control that turns speech off and on, and the speaker button's name.
    QString voiceCaption;
    QString sayAgainName;
    // How a screen reader describes the answer slot numbered %1 from the left.
    QString slotDescription;
    // What a screen reader is told when the word %1 is spelled.
    QString solvedAnnouncement;
    // Shown on Quitter where it must be held down to end the game.
    QString holdToQuitHint;
    // What a screen reader is told when a typed letter has no tile left in the row.
    QString notInWordAnnouncement;
    // How a screen reader reads the row of tiles, the letters %1 from the left.
    QString tilesLine;
};

[[nodiscard]] const LanguageData& languageData(Language language);

} // namespace trouvimo
