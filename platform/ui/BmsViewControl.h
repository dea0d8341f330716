#pragma once
// The screen-map control: a map drawn from its field listing as a
// character grid of the listing's screen width and height (80 by 24 when
// the listing gives none), taller when a field lies below it. Named fields
// the operator types into are entry areas of their length holding their
// initial value; the other named fields (protected, or autoskip) are output
// areas of their length, their initial text over a placeholder; unnamed
// fields are their initial text cut to their length. A
// field's tooltip gives its name, position and attributes. Later fields are
// drawn over earlier ones; what lies outside the grid is not drawn.

#include <QFont>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <vector>

#include "platform/screenmap/FieldListing.h"

namespace platform::ui {

class BmsViewControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultColumns = 80;
    static constexpr int kDefaultRows = 24;
    // Beyond any screen; larger values in a listing are not drawn.
    static constexpr int kMaxColumns = 400;
    static constexpr int kMaxRows = 400;

    explicit BmsViewControl(QWidget* parent = nullptr);

    // Draws the map of a field listing file. False, with Message() saying
    // why, when the file cannot be read or stops early; the fields read
    // before a bad line are drawn all the same.
    bool LoadFromFile(const std::filesystem::path& file);
    // Draws the map of a listing read elsewhere.
    void SetListing(platform::screenmap::FieldListing listing);
    // An empty map of the default size.
    void Clear();

    const platform::screenmap::FieldListing& Listing() const { return m_listing; }
    // Empty after a complete load.
    const QString& Message() const { return m_message; }
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    // The characters of a screen line (from 1), blanks where nothing is.
    QString RowText(int row) const;
    // The field drawn at a cell (row and column from 1), or nullptr.
    const platform::screenmap::MapField* FieldAt(int row, int col) const;
    static QString ToolTipText(const platform::screenmap::MapField& field);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct Cell {
        QChar ch = QLatin1Char(' ');
        int field = -1;  // index into the listing's fields
    };
    void BuildGrid();
    QSize CellSize() const;
    Cell& At(int row, int col) { return m_cells[static_cast<size_t>((row - 1) * m_columns + (col - 1))]; }
    const Cell& At(int row, int col) const { return m_cells[static_cast<size_t>((row - 1) * m_columns + (col - 1))]; }

    platform::screenmap::FieldListing m_listing;
    QString m_message;
    int m_columns = kDefaultColumns;
    int m_rows = kDefaultRows;
    std::vector<Cell> m_cells;
};

}  // namespace platform::ui
