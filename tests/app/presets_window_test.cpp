// The preset list window of the whole editor: opened from the File menu, loading a preset into
// the linked simulated pedal, refusing to load while unlinked, saving, renaming and deleting
// from it. Virtual time, scripted dialogs, a temporary settings home.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <optional>

#include "app/sound_history.h"
#include "app/tform_presets.h"
#include "device/hex_text.h"
#include "editor_fixture.h"
#include "effect/fx_settings.h"
#include "linked_editor.h"
#include "operations/preset_file.h"
#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

QString presetFolder(const EditorFixture& f) {
    return QDir(f.home.path()).filePath("TAVRO/Korvanne MK3/Preset");
}

// A preset of the editor's current values with Dry at 0x000C8000, which the Dry knob shows at
// -161 degrees and sends as 0x000C6000.
QString writeDryPreset(EditorFixture& f, const QString& name) {
    ParameterValues values = f.operations().fxSettings().records.values();
    values[order(Param::Dry)] = 0x000C8000;
    QDir().mkpath(presetFolder(f));
    const QString path = QDir(presetFolder(f)).filePath(name);
    const std::string bytes = presetFileBytes(values);
    writeBytes(path, QByteArray(bytes.data(), qsizetype(bytes.size())));
    return path;
}

TformPresets& openPresets(EditorFixture& f) {
    f.main().action("menuPresets")->trigger();
    TformPresets* window = f.editor->presets();
    if (!window) qFatal("Presets... opened no window");
    return *window;
}

QPushButton* button(TformPresets& w, const char* name) {
    return w.findChild<QPushButton*>(name);
}

QStringList listed(TformPresets& w) {
    QStringList names;
    for (int i = 0; i < w.list()->topLevelItemCount(); ++i)
        names << w.list()->topLevelItem(i)->text(0);
    return names;
}

// Loads the picked preset the way `how` names.
void loadPicked(TformPresets& w, const QString& how) {
    QTreeWidget* list = w.list();
    if (how == "double-click") {
        // The mouse's own sequence: the first click, then the second reported as a double click.
        const QPoint at = list->visualItemRect(list->currentItem()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    } else if (how == "Enter") {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
    } else {
        button(w, "btnLoad")->click();
    }
}

}  // namespace

class PresetsWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFileMenuOpensOneWindowUnlinked() {
        EditorFixture f;
        f.start();
        QMenu* file = f.main().menu("menuFile");
        const QList<QAction*> items = file->actions();
        const qsizetype save = items.indexOf(f.main().action("menuSavePreset"));
        QCOMPARE(items.value(save + 3)->objectName(), QString("menuPresets"));
        QCOMPARE(items.value(save + 3)->text(), QString("Presets..."));
        QVERIFY(f.main().itemEnabled("menuPresets"));
        QVERIFY(!f.editor->presets());

        TformPresets& w = openPresets(f);
        QCOMPARE(w.windowTitle(), QString("Presets"));
        QVERIFY(w.isVisible());
        // Closing hides it; the menu shows the same window again.
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QCOMPARE(&openPresets(f), &w);
        QVERIFY(w.isVisible());
        QVERIFY(f.main().isVisible());
        QCOMPARE(f.dialogs.messages, QStringList());
    }

    void loadsThePickedPresetIntoTheLinkedPedal_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("double-click") << "double-click";
        QTest::newRow("Enter") << "Enter";
        QTest::newRow("Load") << "Load";
    }
    void loadsThePickedPresetIntoTheLinkedPedal() {
        QFETCH(QString, how);
        LinkedEditor f;
        const QString path = writeDryPreset(f, "dry.txt");
        TformPresets& w = openPresets(f);
        QCOMPARE(listed(w), QStringList{"dry.txt"});
        w.pick("dry.txt");
        QVERIFY(button(w, "btnLoad")->isEnabled());
        const std::uint32_t before = f.pedal->state().values[order(Param::Dry)];
        f.mark();
        loadPicked(w, how);
        f.clock.advance(FxSettings::DeferredSendMs);
        // As "Load Preset" does, without its dialog.
        QCOMPARE(f.dialogs.messages, QStringList{"File loaded successfully: " + path});
        QVERIFY(f.dialogs.scriptDone());
        const QString sent = QString::fromStdString(hexText(f.sent()));
        QVERIFY2(sent.contains("010027000C6000"), qPrintable(sent));
        QCOMPARE(f.pedal->state().values[order(Param::Dry)], std::uint32_t(0x000C6000));
        // One undo step, as Load Preset is: the knob goes back and the pedal follows.
        QCOMPARE(f.editor->history().undo().sentence, QString("Undone: Load Preset"));
        QCOMPARE(DecodeKnob(f.pedal->state().values[order(Param::Dry)], KnobScale),
                 DecodeKnob(before, KnobScale));
    }

    void loadingUnlinkedIsRefusedWithItsReason_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("everLinked");
        QTest::newRow("double-click, never linked") << "double-click" << false;
        QTest::newRow("Enter, never linked") << "Enter" << false;
        QTest::newRow("double-click, after Unlink") << "double-click" << true;
    }
    void loadingUnlinkedIsRefusedWithItsReason() {
        QFETCH(QString, how);
        QFETCH(bool, everLinked);
        std::optional<LinkedEditor> linked;
        std::optional<EditorFixture> unlinked;
        if (everLinked) {
            linked.emplace();
        } else {
            unlinked.emplace().start();
        }
        EditorFixture& f = everLinked ? static_cast<EditorFixture&>(*linked) : *unlinked;
        writeDryPreset(f, "dry.txt");
        TformPresets& w = openPresets(f);
        w.pick("dry.txt");
        if (everLinked) {
            QVERIFY(button(w, "btnLoad")->isEnabled());
            QVERIFY(button(w, "btnSaveCurrent")->isEnabled());
            f.main().action("menuDisconnect")->trigger();
            linked->mark();
        }
        // The buttons follow "Load Preset" and "Save Preset".
        QVERIFY(!button(w, "btnLoad")->isEnabled());
        QVERIFY(!button(w, "btnSaveCurrent")->isEnabled());
        QCOMPARE(button(w, "btnLoad")->toolTip(), PresetLibrary::LoadNeedsLink);
        const ParameterValues before = f.operations().fxSettings().records.values();
        f.dialogs.messages.clear();
        loadPicked(w, how);
        QCOMPARE(f.dialogs.warnings, QStringList{PresetLibrary::LoadNeedsLink});
        QCOMPARE(f.dialogs.messages, QStringList{PresetLibrary::LoadNeedsLink});
        QCOMPARE(f.operations().fxSettings().records.values(), before);
        if (everLinked) QVERIFY(linked->sent().empty());
    }

    // While another exchange runs, loading or saving says why it does not happen.
    void aBusyLinkIsSaid_data() {
        QTest::addColumn<QString>("buttonName");
        QTest::newRow("Load") << "btnLoad";
        QTest::newRow("Save Current") << "btnSaveCurrent";
    }
    void aBusyLinkIsSaid() {
        QFETCH(QString, buttonName);
        LinkedEditor f;
        writeDryPreset(f, "dry.txt");
        TformPresets& w = openPresets(f);
        w.pick("dry.txt");
        const ParameterValues before = f.operations().fxSettings().records.values();
        std::unique_ptr<Timer> click = f.clock.createTimer();
        click->setSingleShot(true);
        click->onTimeout([&] { w.findChild<QPushButton*>(buttonName)->click(); });
        click->start(200);
        f.dialogs.expectConfirm(true, "Upload Tuning Data?");
        f.main().action("menuUploadTuningsData")->trigger();
        QVERIFY(f.dialogs.scriptDone());
        QCOMPARE(f.dialogs.warnings, QStringList{"Refused: " + Outcome::BusyReason + "."});
        QCOMPARE(f.operations().fxSettings().records.values(), before);
        QCOMPARE(listed(w), QStringList{"dry.txt"});
    }

    void saveCurrentListsTheNewPresetAtOnce() {
        LinkedEditor f;
        QDir().mkpath(presetFolder(f));
        QVERIFY(writeBytes(QDir(presetFolder(f)).filePath("older.txt"), "x"));
        QFile older(QDir(presetFolder(f)).filePath("older.txt"));
        QVERIFY(older.open(QIODevice::ReadWrite));
        QVERIFY(older.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                  QFileDevice::FileModificationTime));
        older.close();
        TformPresets& w = openPresets(f);
        QCOMPARE(listed(w), QStringList{"older.txt"});
        const QString path = QDir(presetFolder(f)).filePath("fresh.txt");
        f.dialogs.expectSaveFile(QDir(presetFolder(f)).filePath("fresh"));
        button(w, "btnSaveCurrent")->click();
        QVERIFY(f.dialogs.scriptDone());
        // "Save Preset" itself: its dialog, in the preset folder, and its message.
        QCOMPARE(f.dialogs.dialogFolders, QStringList{presetFolder(f)});
        QCOMPARE(f.dialogs.messages, QStringList{"File saved successfully: " + path});
        QCOMPARE(listed(w), (QStringList{"fresh.txt", "older.txt"}));
        const QString date = w.list()->topLevelItem(0)->text(1);
        QCOMPARE(date, QFileInfo(path).lastModified().toString(TformPresets::DateFormat));
    }

    void renameAndDeleteFromTheList() {
        EditorFixture f;
        f.start();
        writeDryPreset(f, "a.txt");
        TformPresets& w = openPresets(f);
        QVERIFY(!button(w, "btnRename")->isEnabled());
        QVERIFY(!button(w, "btnDelete")->isEnabled());
        w.pick("a.txt");
        f.dialogs.expectText("b");
        button(w, "btnRename")->click();
        QCOMPARE(listed(w), QStringList{"b.txt"});
        QCOMPARE(w.pickedName(), QString("b.txt"));
        f.dialogs.expectConfirm(true, "Delete the preset b.txt?");
        button(w, "btnDelete")->click();
        QVERIFY(f.dialogs.scriptDone());
        QCOMPARE(listed(w), QStringList());
        QVERIFY(w.findChild<QWidget*>("lblEmpty")->isVisible());
        QCOMPARE(QDir(presetFolder(f)).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(PresetsWindowTest)
#include "presets_window_test.moc"
