#pragma once

#include <QString>
#include <QStringList>
#include <map>

#include "operations/main_view.h"

namespace korvanne {

// The main window's state without any widgets, for the operations that show it. The command line
// learns what happened from the operations' outcomes, not from here; it reads only the effect
// list the start-up filled.
class CliView final : public MainView {
public:
    void setEnabled(Control control, bool enabled) override { enabled_[control] = enabled; }
    bool isEnabled(Control control) const override { return value(enabled_, control, true); }
    void setChecked(Control control, bool checked) override { checked_[control] = checked; }
    bool isChecked(Control control) const override { return value(checked_, control, false); }
    void setText(Control control, const QString& text) override { texts_[control] = text; }
    QString text(Control control) const override { return value(texts_, control, QString()); }

    void clearEffects() override {
        effects_.clear();
        effectIndex_ = -1;
    }
    void addEffect(const QString& name) override { effects_ << name; }
    int effectCount() const override { return int(effects_.size()); }
    int effectIndex() const override { return effectIndex_; }
    void setEffectIndex(int index) override {
        effectIndex_ = (index >= 0 && index < effects_.size()) ? index : -1;
    }
    QString effectText(int index) const override { return effects_.value(index); }

    bool effectWindowShown() const override { return effectWindowShown_; }
    void OpenEffectWindow(const QString& caption) override {
        effectWindowShown_ = true;
        effectCaption_ = caption;
    }
    void closeEffectWindow() override { effectWindowShown_ = false; }
    void SetEffectControlsEnabled(bool) override {}
    QString effectCaption() const { return effectCaption_; }

    // There is nothing to style and no menu to build on a terminal.
    void BuildLookMenu(int) override {}
    bool applyStyle(const QString&) override { return true; }
    void BuildMidiChannelMenu() override {}
    void setBusy(bool) override {}

private:
    template <typename T>
    static T value(const std::map<Control, T>& map, Control control, T fallback) {
        const auto it = map.find(control);
        return it == map.end() ? fallback : it->second;
    }

    std::map<Control, bool> enabled_;
    std::map<Control, bool> checked_;
    std::map<Control, QString> texts_;
    QStringList effects_;
    int effectIndex_ = -1;
    bool effectWindowShown_ = false;
    QString effectCaption_;
};

}  // namespace korvanne
