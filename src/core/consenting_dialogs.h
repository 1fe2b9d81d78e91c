#pragma once

#include "core/dialogs.h"

namespace korvanne {

// The user's dialogs, able to take a Yes the user has already given: while an Agreement lives,
// every confirmation is answered Yes without being asked again (the user agreed to the whole
// of what runs, from one question that listed it). Everything else is asked as always.
class ConsentingDialogs final : public Dialogs {
public:
    explicit ConsentingDialogs(Dialogs& user) : user_(user) {}

    class Agreement {
    public:
        explicit Agreement(ConsentingDialogs& d) : d_(d) { ++d_.agreed_; }
        ~Agreement() { --d_.agreed_; }
        Agreement(const Agreement&) = delete;
        Agreement& operator=(const Agreement&) = delete;

    private:
        ConsentingDialogs& d_;
    };

    bool confirm(const QString& text, Default defaultButton = Default::Yes) override {
        return agreed_ > 0 || user_.confirm(text, defaultButton);
    }
    void inform(const QString& text) override { user_.inform(text); }
    void warn(const QString& text) override { user_.warn(text); }
    QString openFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                     const QString& folder) override {
        return user_.openFile(title, filter, defaultSuffix, folder);
    }
    QString saveFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                     const QString& folder) override {
        return user_.saveFile(title, filter, defaultSuffix, folder);
    }
    QString askText(const QString& title, const QString& label, const QString& initial) override {
        return user_.askText(title, label, initial);
    }

private:
    Dialogs& user_;
    int agreed_ = 0;
};

}  // namespace korvanne
