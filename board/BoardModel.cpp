#include "BoardModel.h"

#include "DataPaths.h"
#include "JouerSon.h"
#include "Pause.h"
#include "ProcessEnd.h"
#include "SharedValues.h"
#include "Sound.h"

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

// Fixed values of the round.
constexpr float kPauseBeforeRound = 0.5F;
constexpr float kTileRowTop = 1080.0F;
constexpr float kTileGap = 50.0F;
constexpr float kTileStep = 500.0F;
constexpr int kEndMessageSlots = 10;

Control designed(float left, float top, float width, float height, bool visible = true)
{
    return Control { left, top, width, height, visible, {} };
}

} // namespace

BoardModel::BoardModel(BoardServices services, PictureSource& picture, MessageBox& messages)
    : m_services(services)
    , m_picture(picture)
    , m_messages(messages)
{
    Label2 = designed(120, -240, 420, 1350);
    Label1.push_back(designed(600, 1080, 645, 675, false));
    for (int i = 0; i < kSlotCount; ++i)
        Label3[i] = designed(3000.0F + 720.0F * static_cast<float>(i), 6480, 615, 855, false);
    Shape1 = designed(2880, 6360, 8775, 1095);
    Image2 = designed(120, 5280, 2655, 3015);
    GifPic = designed(240, 5880, 2175, 1815);
    Check1 = designed(9240, 7920, 2535, 615);
    Check1.Caption = u"Niveau difficile"_s;
    cmdJouer[0] = designed(9120, 2400, 2535, 975);
    cmdJouer[0].Caption = u"&Jouer"_s;
    cmdJouer[1] = designed(9120, 3600, 2535, 975);
    cmdJouer[1].Caption = u"&Quitter"_s;
}

void BoardModel::JouerSon(QStringView relativePath)
{
    m_services.shared.CheminSon = m_services.paths.join(relativePath);
    trouvimo::JouerSon(m_services.shared, m_services.paths, m_services.sound);
}

void BoardModel::Form_Load()
{
    if (m_unloaded)
        return;
    GifPic.Visible = false;
    JouerSon(u"\\Sons\\fanfare4.wav");
    Difficile = false;

    if (m_services.shared.Francais) {
        if (!ChargerListe(u"\\ListeMots.txt", u"ListeMots.txt"_s))
            return;
    } else {
        Caption = u"Trouvimo ..."_s;
        cmdJouer[0].Caption = u"Play"_s;
        cmdJouer[1].Caption = u"Quit"_s;
        Check1.Caption = u"Difficult Level"_s;
        if (!ChargerListe(u"\\ListeMotsAnglais.txt", u"ListeMotsAnglais.txt"_s))
            return;
    }

    buildPlayingList();
    Effacement = false;
    TuileChoisie = 0;
    GaucheTuile0 = Label1[0].Left;
    HautTuile0 = Label1[0].Top;
    for (int i = 0; i < kSlotCount; ++i) {
        HautCases[i] = Label3[i].Top;
        GaucheCases[i] = Label3[i].Left;
    }
    // Any list with a word to play gets its order, even one or two words; with none at all the
    // play button goes straight to the end message.
    if (NbMots >= 1)
        m_services.loterie.tirerOrdreMots(NbMots);
}

bool BoardModel::ChargerListe(QStringView relativePath, const QString& fileName)
{
    const auto file = m_services.paths.resolve(m_services.paths.join(relativePath));
    const ListStatus status = file ? readWordList(*file, words) : ListStatus::Missing;
    if (status != ListStatus::Missing)
        return true;
    m_messages.showMessage(
        u"Trouvimo"_s,
        u"Le fichier %1 doit se trouver à la racine du répertoire pour que le jeu fonctionne "
        u"correctement."_s.arg(fileName));
    Form_Unload();
    return false;
}

void BoardModel::buildPlayingList()
{
    // A line of no letters has nothing for the first tile and one of more than twelve letters
    // has no slot for its thirteenth, so neither is played; every other line is played as it
    // stands, spaces and all.
    ListeJeu.clear();
    for (int k = 1; k <= words.NbMots && ListeJeu.size() < kMaxWords; ++k) {
        const QString& word = words.TabMots[k];
        const qsizetype length = word.toUpper().size();
        if (length >= 1 && length <= kMaxLetters)
            ListeJeu.append(word);
    }
    NbMots = static_cast<qint16>(ListeJeu.size());
    ListeJeu.append(QString());
}

void BoardModel::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    JouerSon(u"\\Sons\\Chimes.wav");
    // The end of the game puts the display back as it was found.
    m_services.processEnd.endProcess();
}

void BoardModel::cmdJouer_Click(int Index)
{
    if (m_unloaded)
        return;
    if (Index == 1) {
        Form_Unload();
        return;
    }
    // A second press while the first one waits would start a round of its own that the first
    // press then replaces at once, skipping a word: a child's double click must not do that.
    if (Index != 0 || !cmdJouer0Enabled || m_roundStartPending)
        return;

    JouerSon(u"\\Sons\\Chimes.wav");
    m_roundStartPending = true;
    m_services.pause.pause(kPauseBeforeRound);
    m_roundStartPending = false;
    if (m_unloaded)
        return;

    Effacement = false;
    ++Manche;
    TuileChoisie = 0;
    NbPlacees = 0;
    // A tile still travelling from the previous word must not carry the new word's first tile
    // away without a click.
    Timer1.stop();
    Timer2.stop();
    for (int i = 0; i < kSlotCount; ++i) {
        Label3[i].Caption.clear();
        Label3[i].Visible = false;
        Label3[i].Top = HautCases[i];
        Label3[i].Left = GaucheCases[i];
    }

    if (Manche > NbMots) {
        showEndMessage();
        return;
    }

    Label1[0].Top = kTileRowTop;
    MotCourant = ListeJeu[m_services.loterie.OrdreMots[Manche - 1] - 1].toUpper();
    Label2.Caption = MotCourant.toLower();
    if (Difficile)
        Timer3.start();

    Lettres.clear();
    for (const QChar letter : std::as_const(MotCourant))
        Lettres.append(QString(letter));
    m_services.loterie.tirerOrdreLettres(static_cast<qint16>(Lettres.size()));

    unloadTilesAfterFirst();
    Label1[0].Caption = Lettres[m_services.loterie.OrdreLettres[1] - 1];
    Label1[0].Left = GaucheTuile0;
    Label1[0].Visible = true;
    layOutTileRow(static_cast<int>(Lettres.size()));
}

void BoardModel::showEndMessage()
{
    Manche = NbMots;
    cmdJouer0Enabled = false;
    for (int j = 0; j < kEndMessageSlots; ++j)
        Label3[j].Visible = true;
    const QString message = m_services.shared.Francais ? u"C'EST FINI"_s : u"THE END"_s;
    for (int j = 0; j < message.size(); ++j)
        Label3[j].Caption = message[j];
}

void BoardModel::unloadTilesAfterFirst()
{
    Label1.resize(1);
}

// Tiles 1 onward follow tile 0 in the drawn letter order, each 50 twips after its left
// neighbour, at the row's height.
void BoardModel::layOutTileRow(int length)
{
    const auto& order = m_services.loterie.OrdreLettres;
    for (int m = 1; m < length; ++m) {
        const Control& left = Label1[m - 1];
        Control tile = Label1[0];
        tile.Visible = false;
        tile.Top = HautTuile0;
        tile.Left = left.Width + left.Left + kTileGap;
        tile.Visible = true;
        tile.Caption = Lettres[order[m + 1] - 1];
        Label1.push_back(tile);
    }
}

bool BoardModel::validTile(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < Label1.size();
}

void BoardModel::Label1_Click(int Index)
{
    if (m_unloaded || !validTile(Index) || !Label1[Index].Visible)
        return;
    JouerSon(u"\\sons\\Camera.wav");
    TuileChoisie = static_cast<qint16>(Index);
    Timer1.start();
    Timer2.start();
}

void BoardModel::Timer1_Timer()
{
    if (m_unloaded || !Timer1.Enabled)
        return;
    if (Effacement) {
        for (Control& slot : Label3)
            slot.Caption.clear();
        return;
    }
    if (!validTile(TuileChoisie)) {
        Timer1.stop();
        return;
    }
    Control& tile = Label1[TuileChoisie];
    tile.Top += kTileStep;
    if (tile.Top >= Shape1.Top)
        Timer1.stop();
}

void BoardModel::Timer2_Timer()
{
    if (m_unloaded || !Timer2.Enabled)
        return;
    if (Effacement) {
        resetSlotsAndRow();
        return;
    }
    if (!validTile(TuileChoisie)) {
        Timer2.stop();
        return;
    }
    Control& tile = Label1[TuileChoisie];
    tile.Left += kTileStep;
    if (tile.Left < Shape1.Left)
        return;
    placeChosenTile();
    checkAnswer();
}

void BoardModel::placeChosenTile()
{
    Control& tile = Label1[TuileChoisie];
    Timer2.stop();
    // Every placement hides a distinct tile of a word of at most twelve letters, so the slots
    // cannot run out; the guard only keeps a broken sequence from writing past them.
    if (NbPlacees >= kSlotCount)
        return;
    ++NbPlacees;
    tile.Visible = false;
    Label3[NbPlacees - 1].Caption = tile.Caption;
    Label3[NbPlacees - 1].Visible = true;
}

void BoardModel::checkAnswer()
{
    QString answer;
    for (const Control& slot : Label3)
        answer += slot.Caption;
    answer.truncate(std::max<int>(m_services.loterie.NbMax, 0));
    if (Manche < 1 || Manche > NbMots)
        return;
    const QString word = ListeJeu[m_services.loterie.OrdreMots[Manche - 1] - 1].toUpper();
    if (answer != word)
        return;
    showPicture(answer);
    JouerSon(u"\\sons\\Tada.wav");
}

void BoardModel::showPicture(const QString& answer)
{
    const QString folder = m_services.shared.Francais ? u"\\Images\\Mots\\"_s
                                                      : u"\\Images\\MotsAnglais\\"_s;
    const QString path = m_services.paths.join(folder + answer + u".gif"_s);
    GifPic.Visible = false;
    // A word of the list that spells a way out of the picture folder never gets opened.
    const auto file = m_services.paths.resolve(path);
    const auto size = file ? m_picture.load(*file) : std::nullopt;
    if (!size) {
        m_picture.clear();
        return;
    }
    GifPic.Width = static_cast<float>(size->width());
    GifPic.Height = static_cast<float>(size->height());
    GifPic.Left = Image2.Width / 2 - GifPic.Width / 2;
    GifPic.Top = Image2.Height / 2 + Image2.Top - GifPic.Height / 2;
    GifPic.Visible = true;
}

void BoardModel::Label3_Click(int Index)
{
    if (m_unloaded || Index < 0 || Index >= kSlotCount || !Label3[Index].Visible)
        return;
    JouerSon(u"\\sons\\Cashreg.wav");
    Effacement = true;
    Timer1.start();
    Timer2.start();
}

// The reset puts every tile of the word back in the row of the round start, in the same
// letter order, and empties the slots. The slots are emptied here too, not only on the other
// timer's ticks, because that timer may not have ticked yet: old letters left in a hidden slot
// would spoil the next answer.
void BoardModel::resetSlotsAndRow()
{
    for (Control& slot : Label3)
        slot.Caption.clear();

    unloadTilesAfterFirst();
    const int length = std::min<int>(m_services.loterie.NbMax, static_cast<int>(Lettres.size()));
    Label1[0].Top = HautTuile0;
    Label1[0].Left = GaucheTuile0;
    // Before any word was laid out there is no letter to show on the first tile.
    Label1[0].Visible = length >= 1;
    layOutTileRow(length);

    for (Control& slot : Label3)
        slot.Visible = false;
    NbPlacees = 0;
    Timer2.stop();
    Timer1.stop();
    Effacement = false;
}

void BoardModel::Timer3_Timer()
{
    if (m_unloaded || !Timer3.Enabled)
        return;
    Label2.Caption.clear();
    Timer3.stop();
}

void BoardModel::Check1_Click(int Value)
{
    if (m_unloaded)
        return;
    Check1Value = Value;
    if (Value == 0)
        Difficile = false;
    else if (Value == 1)
        Difficile = true;
}

} // namespace trouvimo
