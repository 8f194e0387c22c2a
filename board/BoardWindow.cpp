#include "board/BoardWindow.h"

#include "board/AnimatedPicture.h"
#include "widgets/Announcer.h"
#include "widgets/ClickableLabel.h"
#include "widgets/GraphicalButton.h"
#include "widgets/HeldPress.h"
#include "widgets/Outline.h"
#include "widgets/ResourcePng.h"
#include "widgets/ScreenPlacement.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <iterator>
#include <limits>

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

constexpr int kDropInterval = 10;
constexpr int kSlideInterval = 10;
constexpr int kHintInterval = 4000;
constexpr double kTilePoints = 27.75;
constexpr double kSlotPoints = 36;

// The faces the board was drawn for are not on Linux; Comic Neue has the same friendly shapes.
QFont boardFont(double points, bool bold, double scale)
{
    QFont font;
    font.setFamilies({u"Comic Neue"_s, u"Comic Sans MS"_s, u"DejaVu Sans"_s});
    font.setPixelSize(std::max(1, pointsToPixels(points, scale)));
    font.setBold(bold);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The credit line keeps the desktop's default face but must be read whole, and that face is
// wider here than the one it was laid out for: its size comes down until the line fits.
void fitFontToWidth(QLabel* label, double scale)
{
    QFont font = QApplication::font();
    int pixels = roundToPixels(QFontInfo(font).pixelSize() * std::max(scale, 1.0));
    font.setPixelSize(pixels);
    while (pixels > 6 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width()) {
        font.setPixelSize(--pixels);
    }
    label->setFont(font);
}

// Whether the ink of `text`, centred as a label centres it, lies within `room` pixels.
bool fitsCentred(const QFontMetrics& metrics, const QString& text, int room)
{
    const int start = (room - metrics.horizontalAdvance(text)) / 2;
    const QRect ink = metrics.tightBoundingRect(text);
    return start + ink.left() >= 0 && start + ink.left() + ink.width() <= room;
}

// The inside of the narrowest of `labels`: the edges of each are rounded to whole pixels apart.
int narrowest(const auto& labels)
{
    int width = std::numeric_limits<int>::max();
    for (const QLabel* label : labels)
        width = std::min(width, label->contentsRect().width());
    return width;
}

// The board's font at `points`, or the largest below it at which each of `letters` lies inside
// labels of `width` pixels, keeping a pixel clear on either side so that no letter touches an edge.
QFont fittingFont(const QStringList& letters, double points, double scale, int width)
{
    QFont font = boardFont(points, true, scale);
    const int room = width - 2;
    const auto allFit = [&letters, room](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        return std::all_of(letters.cbegin(), letters.cend(), [&metrics, room](const QString& text) {
            return fitsCentred(metrics, text, room);
        });
    };
    while (font.pixelSize() > 1 && !allFit(font))
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

} // namespace

BoardWindow::BoardWindow(BoardServices services, Language language, Placement placement,
                         const ComputerSettings& settings, QWidget* parent)
    : AccessibleWindow(parent,
                       Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                           | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_placement(placement)
{
    setWindowIcon(QIcon(QPixmap::fromImage(readPng(u":/board/face.png"_s))));
    setBackground(this, QColor(0, 0, 0));

    m_board = std::make_unique<Board>(services, language, settings);
    // The board itself holds the keyboard when it opens, and Tab brings the keyboard back to it
    // after the controls. A click leaves the keyboard where it was: typed letters reach the tiles
    // from any control, and a click on a tile must not take the keyboard from a button that a
    // child reached with Tab. Input methods are let in for the accents that dead keys and compose
    // sequences make.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocus();
    m_picture = new AnimatedPicture(this);

    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        m_placement = Placement::Window;
    else if (m_placement == Placement::FullScreen)
        m_scale = fullScreenScale(screen->geometry().size());
    else
        m_scale = fittingScale(screen->availableGeometry().size());
    buildControls(languageData(language), settings.holdToQuit);
    applyScale();
    if (m_placement == Placement::Window)
        new OnScreenKeeper(this, [this](QSize room) { shrinkToFit(room); });
}

void BoardWindow::open()
{
    if (m_board->open() == OpenOutcome::ListMissing) {
        QMessageBox box(QMessageBox::NoIcon, u"Trouvimo"_s, m_board->missingListMessage(),
                        QMessageBox::Ok);
        box.exec();
        run([](Board& board) { board.quit(); });
        return;
    }
    sync();
}

void BoardWindow::slideTick()
{
    if (const std::optional<SolvedWord> solved = m_board->slideTick())
        showPicture(*solved);
    sync();
}

void BoardWindow::showPicture(const SolvedWord& solved)
{
    const std::optional<QSizeF> size =
        solved.pictureFile ? m_picture->load(*solved.pictureFile) : std::nullopt;
    if (!size)
        m_picture->clear();
    m_board->showPicture(size);
}

BoardWindow::~BoardWindow() = default;

double BoardWindow::fittingScale(QSize room)
{
    const QSize content = clientSize(1.0);
    const double byWidth = static_cast<double>(room.width()) / content.width();
    const double byHeight = static_cast<double>(room.height()) / content.height();
    return std::clamp(std::min(byWidth, byHeight), 0.25, 1.0);
}

double BoardWindow::fullScreenScale(QSize monitor)
{
    const QSize content = clientSize(1.0);
    return std::max(0.25,
                    std::min(static_cast<double>(monitor.width()) / content.width(),
                             static_cast<double>(monitor.height()) / content.height()));
}

void BoardWindow::shrinkToFit(QSize room)
{
    const double fitted = fittingScale(room);
    if (fitted < m_scale - 1e-6) {
        m_scale = fitted;
        applyScale();
    }
}

QSize BoardWindow::clientSize(double scale)
{
    return {twipsToPixels(design::kContentWidth, scale),
            twipsToPixels(design::kContentHeight, scale)};
}

void BoardWindow::buildControls(const LanguageData& texts, bool holdToQuit)
{
    // Created back to front, so that the drawn elements stack as the design lists them; the
    // buttons, the check box and the picture come last and lie in front of all of them.
    m_background = new QLabel(this);
    const QImage backdrop = readPng(u":/board/board-background.png"_s);
    // The backdrop is drawn for a board that fills a large monitor. The label keeps it reduced,
    // smoothly, to the size shown, rather than the whole picture and a copy of it while the child
    // plays, and reduces that again should the board shrink.
    const QSize shown = twipsRect(design::kBackground, m_scale).size() * devicePixelRatioF();
    m_background->setPixmap(QPixmap::fromImage(
        shown.width() < backdrop.width()
            ? backdrop.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            : backdrop));
    m_background->setScaledContents(true);
    // The margins of a board that fills a monitor take the backdrop's own colour, so that the
    // board seems to reach the monitor's edges.
    if (m_placement == Placement::FullScreen && !backdrop.isNull())
        setBackground(this,
                      backdrop.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .pixelColor(0, 0));

    m_tiles.push_back(makeTile());

    m_hint = new QLabel(this);
    m_hint->setAttribute(Qt::WA_TranslucentBackground);
    m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextColour(m_hint, QColor(255, 0, 0));

    m_slotFrame = new Outline(QColor(255, 0, 0), this);

    for (int i = 0; i < Board::kSlotCount; ++i) {
        auto* slot = new ClickableLabel(this);
        slot->setAlignment(Qt::AlignCenter);
        setBackground(slot, QColor(192, 192, 255));
        slot->setAccessibleDescription(texts.slotDescription.arg(i + 1));
        connect(slot, &ClickableLabel::clicked, this,
                [this, i] { run([i](Board& board) { board.slotClicked(i); }); });
        m_slots[i] = slot;
    }
    // Slot 11 lies in front of the picture frame, the other slots behind it.
    m_pictureFrame = new QWidget(this);
    m_pictureFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pictureFrame->stackUnder(m_slots[11]);
    for (int i = 10; i >= 0; --i)
        m_slots[i]->stackUnder(m_pictureFrame);

    m_creditLine = new QLabel(
        u"Décor : nos propres dessins. Images animées tirées de Noto Color Emoji."_s, this);
    m_creditLine->setAttribute(Qt::WA_TranslucentBackground);
    setTextColour(m_creditLine, QColor(192, 255, 255));

    m_playButton = makeGraphicalButton(this, u":/board/tiger.png"_s, QColor(255, 0, 0));
    m_quitButton = makeGraphicalButton(this, u":/board/dove.png"_s, QColor(0, 255, 0));
    connect(m_playButton, &QToolButton::clicked, this,
            [this] { run([](Board& board) { board.playNextWord(); }); });
    const auto quit = [this] { run([](Board& board) { board.quit(); }); };
    if (holdToQuit) {
        m_heldQuit = new HeldPress(m_quitButton, kGrownUpsHold, texts.holdToQuitHint);
        connect(m_heldQuit, &HeldPress::held, this, quit);
    } else {
        connect(m_quitButton, &QToolButton::clicked, this, quit);
    }
    // The buttons and the check box can still be reached with Tab, but a click on one leaves the
    // keyboard to the window: Space must play the next word after a click on the check box.
    m_playButton->setFocusPolicy(Qt::TabFocus);
    m_quitButton->setFocusPolicy(Qt::TabFocus);

    m_picture->raise();

    m_difficultBox = makeCheckBox(&Board::difficultBoxChanged);
    m_voiceBox = makeCheckBox(&Board::voiceBoxChanged);
    m_voiceBox->setChecked(true);

    m_speakerButton = makeGraphicalButton(this, u":/board/speaker.png"_s, QColor(255, 255, 0));
    m_speakerButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_speakerButton->setFocusPolicy(Qt::TabFocus);
    m_speakerButton->hide();
    connect(m_speakerButton, &QToolButton::clicked, this,
            [this] { run([](Board& board) { board.sayWordAgain(); }); });

    setTabOrder(this, m_speakerButton);
    setTabOrder(m_speakerButton, m_playButton);
    setTabOrder(m_playButton, m_quitButton);
    setTabOrder(m_quitButton, m_difficultBox);
    setTabOrder(m_difficultBox, m_voiceBox);

    m_announcer = new Announcer(this);

    m_dropTimer = new QTimer(this);
    m_slideTimer = new QTimer(this);
    m_hintTimer = new QTimer(this);
    m_dropTimer->setInterval(kDropInterval);
    m_slideTimer->setInterval(kSlideInterval);
    m_hintTimer->setInterval(kHintInterval);
    // A tile moves 500 twips a tick; coarse timers would make it crawl at an uneven pace.
    m_dropTimer->setTimerType(Qt::PreciseTimer);
    m_slideTimer->setTimerType(Qt::PreciseTimer);
    m_hintTimer->setTimerType(Qt::PreciseTimer);
    connect(m_dropTimer, &QTimer::timeout, this,
            [this] { run([](Board& board) { board.dropTick(); }); });
    connect(m_slideTimer, &QTimer::timeout, this, &BoardWindow::slideTick);
    connect(m_hintTimer, &QTimer::timeout, this,
            [this] { run([](Board& board) { board.hideHint(); }); });
}

QCheckBox* BoardWindow::makeCheckBox(void (Board::*changed)(Qt::CheckState))
{
    auto* box = new QCheckBox(this);
    box->setFocusPolicy(Qt::TabFocus);
    setBackground(box, QApplication::palette().color(QPalette::ToolTipBase));
    connect(box, &QCheckBox::clicked, this, [this, box, changed] {
        const Qt::CheckState state = box->checkState();
        run([state, changed](Board& board) { (board.*changed)(state); });
    });
    return box;
}

ClickableLabel* BoardWindow::makeTile()
{
    auto* tile = new ClickableLabel(this);
    tile->setAlignment(Qt::AlignCenter);
    tile->setFrameShape(QFrame::Box);
    tile->setLineWidth(1);
    setBackground(tile, QColor(255, 224, 192));
    setTextColour(tile, QApplication::palette().color(QPalette::WindowText));
    tile->setFont(m_tileFont);
    tile->hide();
    const int index = static_cast<int>(m_tiles.size());
    connect(tile, &ClickableLabel::clicked, this,
            [this, index] { run([index](Board& board) { board.tileClicked(index); }); });
    return tile;
}

// Fonts, the outline and the client size follow the scale; positions follow it in place().
void BoardWindow::applyScale()
{
    if (m_placement == Placement::FullScreen) {
        const QSize monitor = QGuiApplication::primaryScreen()->geometry().size();
        setFixedSize(monitor);
        const QSize margins = monitor - clientSize(m_scale);
        m_origin = QPoint(margins.width() / 2, margins.height() / 2);
    } else {
        setFixedSize(clientSize(m_scale));
    }
    const auto& background = design::kBackground;
    m_background->setGeometry(
        toPixels(background.left, background.top, background.width, background.height));
    m_tileFontLetters.reset();
    m_hint->setFont(boardFont(48, true, m_scale));
    m_slotFrame->setPenWidth(std::max(1, roundToPixels(5 * m_scale)));
    const auto& credit = design::kCreditLine;
    m_creditLine->setGeometry(toPixels(credit.left, credit.top, credit.width, credit.height));
    fitFontToWidth(m_creditLine, m_scale);
    const QFont buttonFont = boardFont(9.75, true, m_scale);
    const int picture = std::max(8, roundToPixels(GraphicalButton::kPictureSize * m_scale));
    for (GraphicalButton* button : {m_playButton, m_quitButton}) {
        button->setFont(buttonFont);
        button->setPictureSize(picture);
    }
    m_speakerButton->setFixedSize(twipsRect(design::kSpeakerButton, m_scale).size());
    m_speakerButton->setPictureSize(picture);
    for (QCheckBox* box : {m_difficultBox, m_voiceBox}) {
        box->setFont(boardFont(12, true, m_scale));
        // The style draws the box at its own size; a board scaled up asks for it at the scale.
        if (m_scale > 1.0) {
            const int side =
                roundToPixels(style()->pixelMetric(QStyle::PM_IndicatorWidth) * m_scale);
            box->setStyleSheet(u"QCheckBox::indicator { width: %1px; height: %1px; }"_s.arg(side));
        }
    }
    sync();
}

void BoardWindow::place(QWidget* widget, const Control& control) const
{
    widget->setGeometry(toPixels(control.left, control.top, control.width, control.height));
}

QRect BoardWindow::toPixels(double left, double top, double width, double height) const
{
    return twipsRect(left, top, width, height, m_scale).translated(m_origin);
}

QList<QWidget*> BoardWindow::readingOrder() const
{
    QList<QWidget*> order {m_hint, m_speakerButton};
    std::copy(m_tiles.cbegin(), m_tiles.cend(), std::back_inserter(order));
    std::copy(m_slots.cbegin(), m_slots.cend(), std::back_inserter(order));
    order << m_picture << m_playButton << m_quitButton << m_difficultBox << m_voiceBox
          << m_creditLine << m_announcer;
    return order;
}

ClickableLabel* BoardWindow::tile(int index) const
{
    return index >= 0 && index < tileCount() ? m_tiles[static_cast<std::size_t>(index)] : nullptr;
}

QTimer* BoardWindow::timer(int number) const
{
    switch (number) {
    case 1:
        return m_dropTimer;
    case 2:
        return m_slideTimer;
    case 3:
        return m_hintTimer;
    default:
        return nullptr;
    }
}

void BoardWindow::sync()
{
    const Board& board = *m_board;
    setWindowTitle(board.title());

    m_playButton->setText(board.playButton().caption);
    place(m_playButton, board.playButton());
    m_quitButton->setText(board.quitButton().caption);
    place(m_quitButton, board.quitButton());
    // A control that goes away hands the keyboard to the board itself. Qt would hand it to the
    // next control, Quitter at the end of the list, where the next Space would end the game.
    if ((!board.playEnabled() && m_playButton->hasFocus())
        || (!board.speakerButton().visible && m_speakerButton->hasFocus()))
        setFocus(Qt::OtherFocusReason);
    m_playButton->setEnabled(board.playEnabled());
    m_difficultBox->setText(board.difficultBox().caption);
    place(m_difficultBox, board.difficultBox());
    m_voiceBox->setText(board.voiceBox().caption);
    place(m_voiceBox, board.voiceBox());
    m_voiceBox->setVisible(board.voiceBox().visible);
    for (const auto& [box, state] : {std::pair {m_difficultBox, board.difficultBoxState()},
                                     std::pair {m_voiceBox, board.voiceBoxState()}}) {
        if (box->checkState() != state)
            box->setCheckState(state);
    }

    // The hint sizes itself to its caption from its top left corner.
    m_hint->setText(board.hint().caption);
    m_hint->move(toPixels(board.hint().left, board.hint().top, 0, 0).topLeft());
    m_hint->adjustSize();
    m_hint->setVisible(board.hint().visible);
    // The speaker button stands just right of the red word, and stays when the word hides.
    const Control& speaker = board.speakerButton();
    if (!m_hint->text().isEmpty()) {
        m_speakerButton->move(m_hint->geometry().right() + 1
                                  + twipsToPixels(design::kSpeakerGap, m_scale),
                              toPixels(speaker.left, speaker.top, 0, 0).y());
    }
    // Qt tells a screen reader of every name it is given, changed or not, and the board is brought
    // up to date at every tick of its timers.
    if (m_speakerButton->accessibleName() != speaker.caption) {
        m_speakerButton->setAccessibleName(speaker.caption);
        m_speakerButton->setToolTip(speaker.caption);
    }
    m_speakerButton->setVisible(speaker.visible);

    place(m_slotFrame, board.slotFrame());
    place(m_pictureFrame, board.pictureFrame());
    for (int i = 0; i < Board::kSlotCount; ++i) {
        const Control& control = board.answerSlots()[i];
        place(m_slots[i], control);
        m_slots[i]->setText(control.caption);
        m_slots[i]->setVisible(control.visible);
    }
    syncTiles();

    place(m_picture, board.picture());
    m_picture->setVisible(board.picture().visible && m_picture->hasPicture());

    if (board.announcement().count != m_announcements) {
        m_announcements = board.announcement().count;
        m_announcer->announce(board.announcement().text);
    }
    // The board holds the keyboard while the child types: a screen reader reads its description
    // with it when it takes the keyboard, and at any time with its key for the focused control
    // (Orca's "where am I"). Each tile alone is only a label that the reader never visits.
    if (const QString tiles = board.tilesLine(); accessibleDescription() != tiles)
        setAccessibleDescription(tiles);

    syncTimer(board.dropTimer(), m_dropTimer, m_dropTimerStarts);
    syncTimer(board.slideTimer(), m_slideTimer, m_slideTimerStarts);
    syncTimer(board.hintTimer(), m_hintTimer, m_hintTimerStarts);
}

void BoardWindow::syncTiles()
{
    const std::vector<Control>& tiles = m_board->tiles();
    bool loaded = false;
    while (m_tiles.size() > tiles.size()) {
        delete m_tiles.back();
        m_tiles.pop_back();
    }
    while (m_tiles.size() < tiles.size()) {
        ClickableLabel* tile = makeTile();
        // A new tile is brought to the front of the drawing order, as each tile of the row is
        // laid over the one before it.
        tile->raise();
        m_tiles.push_back(tile);
        loaded = true;
    }
    if (loaded)
        keepChildWindowsInFront();
    for (std::size_t m = 0; m < tiles.size(); ++m) {
        place(m_tiles[m], tiles[m]);
        m_tiles[m]->setText(tiles[m].caption);
        m_tiles[m]->setVisible(tiles[m].visible);
    }
    fitLetterFonts();
}

// The letters of a word share one size in the tiles and one in the slots: the board's, or the
// largest below it at which every letter of the word lies inside its tile, or its slot. A digraph
// such as "Ǆ" needs it at any scale, "Œ" in the slots at any scale, and in the tiles on a shrunk
// board, where rounding leaves the tile narrower for its font.
void BoardWindow::fitLetterFonts()
{
    QStringList letters;
    for (const Control& tile : m_board->tiles())
        letters.append(tile.caption);
    if (m_tileFontLetters == letters || m_tiles.empty())
        return;
    m_tileFontLetters = letters;
    m_tileFont = fittingFont(letters, kTilePoints, m_scale, narrowest(m_tiles));
    for (ClickableLabel* tile : m_tiles)
        tile->setFont(m_tileFont);
    const QFont slotFont = fittingFont(letters, kSlotPoints, m_scale, narrowest(m_slots));
    for (ClickableLabel* slot : m_slots)
        slot->setFont(slotFont);
}

void BoardWindow::keepChildWindowsInFront()
{
    m_playButton->raise();
    m_quitButton->raise();
    m_picture->raise();
    m_difficultBox->raise();
    m_voiceBox->raise();
    m_speakerButton->raise();
}

void BoardWindow::syncTimer(const TimerState& state, QTimer* timer, unsigned& lastStarted)
{
    if (!state.running || m_board->closed()) {
        timer->stop();
    } else if (!timer->isActive() || state.started != lastStarted) {
        timer->start();
    }
    lastStarted = state.started;
}

void BoardWindow::showCentred()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (m_placement == Placement::FullScreen) {
        setGeometry(screen->geometry());
        showFullScreen();
        return;
    }
    if (screen != nullptr)
        centreWindow(this, screen->availableGeometry());
    show();
}

void BoardWindow::focusInEvent(QFocusEvent* event)
{
    AccessibleWindow::focusInEvent(event);
    m_slotFrame->showFocus(true);
}

void BoardWindow::focusOutEvent(QFocusEvent* event)
{
    AccessibleWindow::focusOutEvent(event);
    m_slotFrame->showFocus(false);
}

void BoardWindow::keyPressEvent(QKeyEvent* event)
{
    // Alt and Control keys belong to the access keys and the desktop; a key held down repeats,
    // and a child resting on it must not send one tile after another.
    constexpr Qt::KeyboardModifiers kCommandModifiers =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (event->modifiers() & kCommandModifiers) {
        AccessibleWindow::keyPressEvent(event);
        return;
    }
    if (event->isAutoRepeat())
        return;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        run([](Board& board) { board.startWordAgain(); });
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // Only where the keyboard is on the board itself: Enter on a button or a check box
        // presses that control, and must not throw the word in play away.
        if (!hasFocus()) {
            AccessibleWindow::keyPressEvent(event);
            return;
        }
        run([](Board& board) { board.playNextWord(); });
        break;
    case Qt::Key_F1:
        run([](Board& board) { board.sayWordAgain(); });
        break;
    default:
        if (event->text().isEmpty()) {
            AccessibleWindow::keyPressEvent(event);
            return;
        }
        run([text = event->text()](Board& board) { board.lettersTyped(text); });
        break;
    }
}

void BoardWindow::inputMethodEvent(QInputMethodEvent* event)
{
    const QString text = event->commitString();
    if (!text.isEmpty())
        run([&text](Board& board) { board.lettersTyped(text); });
    event->accept();
}

void BoardWindow::closeEvent(QCloseEvent* event)
{
    // Where Quitter must be held, so must the close box's: it tells how on Quitter instead.
    if (m_heldQuit != nullptr && !m_board->closed()) {
        event->ignore();
        m_heldQuit->tell();
        return;
    }
    // Closing the window goes through: the board closes and the game ends.
    if (!m_board->closed())
        run([](Board& board) { board.quit(); });
    event->accept();
}

} // namespace trouvimo
