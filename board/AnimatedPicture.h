#pragma once

#include <QSizeF>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QMovie;

namespace trouvimo {

// The animated picture of a solved word. It plays a GIF scaled to its own rectangle and plays it
// only while it is shown, so a hidden picture costs nothing.
class AnimatedPicture : public QWidget {
    Q_OBJECT

public:
    // Pictures larger than this are refused before anything is decoded: a file that claims
    // 30000 x 30000 pixels must not take the memory of the machine.
    static constexpr int kMaxSide = 2048;

    explicit AnimatedPicture(QWidget* parent = nullptr);
    ~AnimatedPicture() override;

    // Loads the picture at `file` (already found on disk) and returns its size in twips;
    // std::nullopt, and nothing loaded, when the file is missing, unreadable or too large.
    std::optional<QSizeF> load(const QString& file);
    // Forgets the current picture.
    void clear();

    [[nodiscard]] bool hasPicture() const { return m_movie != nullptr; }
    [[nodiscard]] QString file() const { return m_file; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    std::unique_ptr<QMovie> m_movie;
    QString m_file;
};

} // namespace trouvimo
