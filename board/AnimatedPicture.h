#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QMovie;

namespace trouvimo {

// The picture of a solved word: an animated GIF, or a still photo. Each frame is shrunk to the
// size of its own rectangle once, smoothly, in full colour, and not at every paint; and it plays
// only while it is shown, so a hidden picture costs nothing.
class AnimatedPicture : public QWidget {
    Q_OBJECT

public:
    explicit AnimatedPicture(QWidget* parent = nullptr);
    ~AnimatedPicture() override;

    // Loads the picture at `file` (already found on disk) and returns its size in twips;
    // std::nullopt, and nothing loaded, when the game cannot show it (probePicture()).
    std::optional<QSizeF> load(const QString& file);
    // Forgets the current picture.
    void clear();

    [[nodiscard]] bool hasPicture() const { return m_movie != nullptr; }
    [[nodiscard]] QString file() const { return m_file; }
    // The frames as they play; null without a picture.
    [[nodiscard]] const QMovie* movie() const { return m_movie.get(); }
    // The frame as it is painted, at the widget's size.
    [[nodiscard]] QImage frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Starts the picture at the widget's size, once it shows.
    void play();
    void takeFrame();

    std::unique_ptr<QMovie> m_movie;
    QString m_file;
    QImage m_frame;
    bool m_decoderShrinks = true;
};

} // namespace trouvimo
