#pragma once

#include "check/DataCheck.h"
#include "gamedata/GameData.h"
#include "mywords/ListDocument.h"

#include <QAbstractListModel>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QThreadPool>
#include <QTimer>

#include <memory>
#include <vector>

namespace trouvimo {

class DataPaths;

// What the window knows of each line of a list beyond its word: the picture the game shows for it
// and its recording (empty when it has none), and what the check says of it.
struct LineFacts {
    std::vector<QString> pictures;
    std::vector<QString> recordings;
    FindingsByLine findings;
};

// The lines of a list as the "My words" window shows them, filtered: the word, whether it has a
// picture (a thumbnail fitted into the picture frame's shape as the game fits it) and a recording,
// and the check's findings in plain words. A list of hundreds of thousands of lines shows at once:
// a line is decoded only when it is shown, the facts and thumbnails come from other threads, and
// the filter goes through the list a slice at a time between the window's events.
class WordListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        LineRole = Qt::UserRole + 1, // the line's number, from 1
        EntryRole, // the entry as the game reads it
        PictureRole, // the picture's file, empty without one
        RecordingRole, // the recording's file, empty without one
    };

    // Texts of the rows, in the window's language.
    struct Texts {
        QString picture;
        QString noPicture;
        QString recording;
        QString noRecording;
        QString emptyLine;
        QString lineNumber; // the line's number
        QString unread; // a line past those the game reads
    };

    explicit WordListModel(Texts texts, QObject* parent = nullptr);
    ~WordListModel() override;

    // Shows a new list; the facts follow from a thread of their own.
    void setDocument(const ListDocument& document, const DataPaths& paths,
                     const LanguageData& language, Language speaking, const RecordingProber& probe);
    [[nodiscard]] const ListDocument& document() const { return m_document; }
    // Whether the facts of the current list are in.
    [[nodiscard]] bool factsReady() const { return m_factsReady; }

    // Keeps the lines whose entry holds `text`, whatever its case; an empty text keeps them all.
    void setFilter(const QString& text);
    [[nodiscard]] bool filtering() const { return m_filterNext > 0; }
    // The row that shows the line, -1 when it is filtered out or not there.
    [[nodiscard]] int rowOfLine(int line) const;

    // The size of a thumbnail: the picture frame's shape, smaller.
    [[nodiscard]] static QSize thumbnailSize();

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

signals:
    // The facts of the list came in.
    void factsArrived();
    // The filter has been through the whole list.
    void filtered();

private:
    void filterSlice();
    void thumbnailNeeded(const QString& picture) const;
    void thumbnailArrived(const QString& picture, const QImage& thumbnail);
    [[nodiscard]] QString describe(int line) const;

    Texts m_texts;
    ListDocument m_document;
    std::vector<int> m_rows;
    LineFacts m_facts;
    bool m_factsReady = false;
    // Each list shown is a generation; facts and thumbnails of an earlier one are dropped.
    std::shared_ptr<int> m_generation;

    QString m_filter;
    int m_filterNext = 0; // the next line the filter looks at; 0 when it is done
    QTimer m_filterSlices;

    mutable QHash<QString, QImage> m_thumbnails;
    mutable QSet<QString> m_thumbnailsAsked;
    // The threads that gather facts and make thumbnails; the model waits for them as it goes.
    mutable QThreadPool m_pool;
};

} // namespace trouvimo
