#include "app/tform_presets.h"

#include <QAction>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvanne {

namespace {

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TformPresets::TformPresets(Services& services, Presets& presets, QAction* loadPresetItem,
                           QAction* savePresetItem, QWidget* parent)
    : SecondaryWindow("TformPresets", "Presets", parent),
      presets_(presets),
      library_(services),
      loadPresetItem_(loadPresetItem),
      savePresetItem_(savePresetItem) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont arial("Arial");
    arial.setPointSizeF(11);
    setFont(arial);

    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(9, 8, 11, 12);
    columns->setSpacing(8);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    columns->addLayout(left, 1);

    lstPresets = new QTreeWidget(this);
    lstPresets->setObjectName("lstPresets");
    lstPresets->setColumnCount(2);
    lstPresets->setHeaderLabels({"Name", "Modified"});
    lstPresets->setRootIsDecorated(false);
    lstPresets->setUniformRowHeights(true);
    lstPresets->setAllColumnsShowFocus(true);
    lstPresets->setSelectionMode(QAbstractItemView::SingleSelection);
    lstPresets->header()->setStretchLastSection(false);
    lstPresets->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstPresets->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstPresets->setMinimumSize(360, 200);
    left->addWidget(lstPresets, 1);
    lblEmpty = new QLabel("No presets saved yet.", this);
    lblEmpty->setObjectName("lblEmpty");
    left->addWidget(lblEmpty);

    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    columns->addLayout(right);
    btnLoad = button(this, "btnLoad", "Load");
    btnSaveCurrent = button(this, "btnSaveCurrent", "Save Current...");
    btnRename = button(this, "btnRename", "Rename...");
    btnDelete = button(this, "btnDelete", "Delete");
    btnOpenFolder = button(this, "btnOpenFolder", "Open Folder");
    for (QPushButton* b : {btnLoad, btnSaveCurrent, btnRename, btnDelete}) right->addWidget(b);
    right->addStretch();
    right->addWidget(btnOpenFolder);
    // Never narrower than their captions need in the look shown (a bold look widens them).
    for (QPushButton* b : {btnLoad, btnSaveCurrent, btnRename, btnDelete, btnOpenFolder}) {
        b->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        b->setMinimumHeight(30);
    }
    btnOpenFolder->setToolTip(QDir::toNativeSeparators(library_.folder()));

    // As in the main window: a font only inherited is lost when a look is applied.
    for (QWidget* child : findChildren<QWidget*>()) child->setFont(arial);

    connect(&library_, &PresetLibrary::changed, this, &TformPresets::showEntries);
    connect(lstPresets, &QTreeWidget::itemSelectionChanged, this, &TformPresets::updateButtons);
    connect(lstPresets, &QTreeWidget::itemDoubleClicked, this, &TformPresets::loadPicked);
    lstPresets->installEventFilter(this);
    lstPresets->header()->viewport()->installEventFilter(this);
    for (QAction* item : {loadPresetItem_, savePresetItem_})
        connect(item, &QAction::changed, this, &TformPresets::updateButtons);

    connect(btnLoad, &QPushButton::clicked, this, &TformPresets::loadPicked);
    connect(btnSaveCurrent, &QPushButton::clicked, this,
            [this] { library_.saveCurrent(savePresetItem_->isEnabled(), presets_); });
    connect(btnRename, &QPushButton::clicked, this, [this] {
        QString renamed;
        if (library_.rename(pickedName(), &renamed).ok()) pick(renamed);
    });
    connect(btnDelete, &QPushButton::clicked, this, [this] { library_.remove(pickedName()); });
    connect(btnOpenFolder, &QPushButton::clicked, this, [this] { library_.openFolder(); });

    showEntries();
}

QString TformPresets::pickedName() const {
    const QList<QTreeWidgetItem*> picked = lstPresets->selectedItems();
    return picked.isEmpty() ? QString() : picked.first()->text(0);
}

void TformPresets::pick(const QString& name) {
    for (int i = 0; i < lstPresets->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lstPresets->topLevelItem(i);
        if (item->text(0) == name) {
            lstPresets->setCurrentItem(item);
            return;
        }
    }
    lstPresets->clearSelection();
}

void TformPresets::showEntries() {
    const QString picked = pickedName();
    lstPresets->clear();
    for (const PresetEntry& entry : library_.entries()) {
        auto* item = new QTreeWidgetItem(lstPresets);
        item->setText(0, entry.name);
        item->setText(1, entry.modified.toString(DateFormat));
    }
    lblEmpty->setVisible(library_.entries().isEmpty());
    if (!picked.isEmpty()) pick(picked);
    updateButtons();
}

void TformPresets::updateButtons() {
    const bool picked = !pickedName().isEmpty();
    const bool loadable = loadPresetItem_->isEnabled();
    btnLoad->setEnabled(picked && loadable);
    btnLoad->setToolTip(loadable ? QString() : PresetLibrary::LoadNeedsLink);
    btnSaveCurrent->setEnabled(savePresetItem_->isEnabled());
    btnSaveCurrent->setToolTip(savePresetItem_->isEnabled() ? QString()
                                                            : PresetLibrary::SaveNeedsLink);
    btnRename->setEnabled(picked);
    btnDelete->setEnabled(picked);
}

void TformPresets::loadPicked() {
    const QString name = pickedName();
    if (name.isEmpty()) return;
    runLoad([&] { return library_.load(name, loadPresetItem_->isEnabled(), presets_); });
}

bool TformPresets::eventFilter(QObject* watched, QEvent* event) {
    QHeaderView* header = lstPresets->header();
    if (watched == header->viewport() && event->type() == QEvent::Paint) {
        // The headings are drawn in the font of the header's inner area, which a look's bold
        // text reaches but the next look does not take back: they follow the header's own.
        if (header->viewport()->font() != header->font())
            header->viewport()->setFont(header->font());
    }
    if (watched == lstPresets && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            loadPicked();
            return true;
        }
    }
    return SecondaryWindow::eventFilter(watched, event);
}

}  // namespace korvanne
