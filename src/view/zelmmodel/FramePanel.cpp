#include "FramePanel.h"

#include "FieldControlZelmModel.h"

#include "model/MemDataSet.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {
const QColor kInfoBk(0xFF, 0xFF, 0xE1); // the tool tips' pale yellow, the editing colour

/// The cells' editor stops at its column's width while the user types: the table keeps only
/// that many characters, and cutting what was typed afterwards would lose it in silence.
class TPanelDelegate : public QStyledItemDelegate {
public:
    TPanelDelegate(TMemDataSet* table, QObject* parent)
        : QStyledItemDelegate(parent), fTable(table) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (index.column() >= 0 && index.column() < fTable->FieldCount()) {
            const TMemFieldDef& def = fTable->FieldDef(index.column());
            if (auto* line = qobject_cast<QLineEdit*>(editor);
                line && def.type == QMetaType::QString && def.size > 0)
                line->setMaxLength(def.size);
        }
        return editor;
    }

private:
    TMemDataSet* fTable;
};
} // namespace

QVariant TPanelModel::data(const QModelIndex& index, int role) const {
    if (index.isValid() && index.column() < static_cast<int>(columns.size())) {
        const TPanelColumn& c = columns[index.column()];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(c.alignment);
        if (role == Qt::BackgroundRole && c.highlighted)
            return QColor(readOnly ? QColor(Qt::white) : kInfoBk);
    }
    return QIdentityProxyModel::data(index, role);
}

QVariant TPanelModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section < static_cast<int>(columns.size())) {
        const TPanelColumn& c = columns[section];
        if (role == Qt::DisplayRole && !c.title.isEmpty())
            return c.title;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(c.alignment);
        if (role == Qt::BackgroundRole && c.titleColor.isValid())
            return c.titleColor;
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
}

Qt::ItemFlags TPanelModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QIdentityProxyModel::flags(index) & ~Qt::ItemIsEditable;
    if (!readOnly && index.isValid() && index.column() < static_cast<int>(columns.size()) &&
        columns[index.column()].editable)
        f |= Qt::ItemIsEditable;
    return f;
}

TPanelGrid::TPanelGrid(TMemDataSet* table, QWidget* parent) : QTableView(parent), fTable(table) {
    fModel = new TPanelModel(this);
    fModel->setSourceModel(table);
    setModel(fModel);
    setItemDelegate(new TPanelDelegate(table, this));
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setFixedWidth(12);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.row() != fTable->RecNo() &&
                    fTable->State() == TMemDataSet::dsBrowse)
                    fTable->SetRecNo(current.row());
            });
}

void TPanelGrid::ApplyColumns() {
    const auto& columns = fModel->columns;
    for (int i = 0; i < fModel->columnCount(); ++i) {
        const bool visible = i < static_cast<int>(columns.size()) && columns[i].visible;
        setColumnHidden(i, !visible);
        if (visible)
            setColumnWidth(i, columns[i].width);
    }
    fModel->headerDataChanged(Qt::Horizontal, 0, std::max(0, fModel->columnCount() - 1));
}

void TPanelGrid::CommitEdit() {
    if (QWidget* editor = indexWidget(currentIndex()); editor && state() == EditingState) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    if (fTable->State() == TMemDataSet::dsEdit || fTable->State() == TMemDataSet::dsInsert)
        fTable->Post();
}

void TPanelGrid::SetReadOnly(bool readOnly) {
    if (readOnly)
        CommitEdit();
    fModel->readOnly = readOnly;
    viewport()->update();
}

void TPanelGrid::SyncCurrent() {
    const int row = fTable->RecNo();
    if (row >= 0 && row < fModel->rowCount()) {
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        while (column < fModel->columnCount() - 1 && isColumnHidden(column))
            ++column;
        setCurrentIndex(fModel->index(row, column));
    }
}

TFrameZelmModelControl::TFrameZelmModelControl(const QString& caption, const QString& headerField,
                                               QWidget* parent)
    : TFrameZelmModelCustom(parent), fHeaderField(headerField) {
    PanelTop = new QWidget(this);
    PanelTop->setObjectName(QStringLiteral("PanelTop"));
    PanelTop->setFixedHeight(26);
    auto* title = new QLabel(caption, PanelTop);
    title->setStyleSheet(QStringLiteral("QLabel { border: 1px solid #008080; padding: 1px 6px; }"));
    fHeader = new QHBoxLayout(PanelTop);
    fHeader->setContentsMargins(0, 2, 0, 2);
    fHeader->setSpacing(2);
    fHeader->addWidget(title);
    if (!headerField.isEmpty()) {
        EditHeader = new QLineEdit(PanelTop);
        EditHeader->setObjectName(QStringLiteral("DBEdit") + headerField);
        EditHeader->setFixedWidth(80);
        SetControlReadOnly(EditHeader);
        fHeader->addWidget(EditHeader);
    }
    PanelInfo = new QLabel(this);
    PanelInfo->setObjectName(QStringLiteral("PanelInfo"));
    PanelInfo->setAlignment(Qt::AlignCenter);
    PanelInfo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    fStack = new QStackedWidget(this);
    fStack->addWidget(PanelInfo);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(PanelTop);
    layout->addWidget(fStack, 1);
}

void TFrameZelmModelControl::SetBody(QWidget* body) {
    fStack->addWidget(body);
    fStack->setCurrentWidget(body);
}

void TFrameZelmModelControl::ShowInfo(const QString& caption) {
    PanelInfo->setText(caption);
    fStack->setCurrentIndex(caption.isEmpty() ? 1 : 0);
}

void TFrameZelmModelControl::RefreshHeader() {
    if (!EditHeader || !FieldsCache)
        return;
    const QVariant v = FieldsCache->FieldValue(fHeaderField);
    EditHeader->setText(v.isNull() ? QString() : v.toString());
}
