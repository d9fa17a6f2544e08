// What the card's four sub-record panels share: the card's row and its accessor, the header with
// its caption box and read-only edit, the information panel that covers an empty list, and the
// grid over an in-memory table with per-column titles, widths, editing and colours.
#pragma once

#include "FrameCustom.h"

#include <QIdentityProxyModel>
#include <QStackedWidget>
#include <QTableView>

#include <vector>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QStackedWidget;
class TFieldControlZelmModel;
class TMemDataSet;

/// How a panel grid shows one column of its table.
struct TPanelColumn {
    QString title;
    bool visible = false;
    bool editable = false;
    int width = 64;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    /// The column takes the editing colour while the panel is editable.
    bool highlighted = false;
    /// Title background (invalid: the style's).
    QColor titleColor;
};

/// A shown column; an editable one takes the editing colour.
inline TPanelColumn Shown(const QString& title, int width, bool editable = false) {
    TPanelColumn c;
    c.title = title;
    c.visible = true;
    c.editable = editable;
    c.highlighted = editable;
    c.width = width;
    return c;
}

class TPanelModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    std::vector<TPanelColumn> columns;
    bool readOnly = true;

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
};

/// A panel's grid over its in-memory table; the table's current row follows the grid's.
class TPanelGrid : public QTableView {
    Q_OBJECT
public:
    TPanelGrid(TMemDataSet* table, QWidget* parent);
    TPanelModel* Model() const { return fModel; }
    /// Shows the columns as `Model()->columns` say.
    void ApplyColumns();
    /// Writes an open cell editor into the table ("post any pending edit").
    void CommitEdit();
    void SetReadOnly(bool readOnly);
    /// Makes the table's current row the grid's.
    void SyncCurrent();

private:
    TMemDataSet* fTable;
    TPanelModel* fModel;
};

class TFrameZelmModelControl : public TFrameZelmModelCustom {
    Q_OBJECT
public:
    /// `headerField` is the card's field the header edit shows (empty: no header edit).
    TFrameZelmModelControl(const QString& caption, const QString& headerField,
                           QWidget* parent = nullptr);

    /// The card's one-row table and its accessor; the header edit shows the card's field.
    void SetFieldsCache(TFieldControlZelmModel* fields) { FieldsCache = fields; }
    TFieldControlZelmModel* FieldsCache = nullptr;

    QWidget* PanelTop;
    QLineEdit* EditHeader = nullptr;
    QLabel* PanelInfo;

    /// The header edit shows the card row's field as it is now.
    void RefreshHeader();
    /// The list under the header: where Tab lands after the header's commands.
    QWidget* FocusWidget() const { return fStack->count() > 1 ? fStack->widget(1) : nullptr; }

protected:
    /// The list (grid or check list) under the header, covered by the information panel.
    void SetBody(QWidget* body);
    /// Covers the list with `caption`, or shows the list when it is empty.
    void ShowInfo(const QString& caption);
    /// Header buttons go here, after the caption and the header edit.
    QHBoxLayout* HeaderLayout() const { return fHeader; }

private:
    QString fHeaderField;
    QHBoxLayout* fHeader;
    QStackedWidget* fStack;
};
