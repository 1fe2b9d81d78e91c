#include "operations/preset_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/dialogs.h"
#include "core/services.h"
#include "core/shell.h"
#include "operations/preset_file.h"
#include "operations/presets.h"

namespace korvanne {

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A name as listed: one file directly in the folder, never a way out of it.
bool plainName(const QString& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\\');
}

}  // namespace

PresetLibrary::PresetLibrary(Services& services, QObject* parent)
    : QObject(parent), services_(services) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        watch();
        refresh();
    });
    watch();
    refresh();
}

QString PresetLibrary::folder() const {
    return services_.home.presetFolder();
}

QString PresetLibrary::pathOf(const QString& name) const {
    return QDir(folder()).filePath(name);
}

void PresetLibrary::watch() {
    QString path = folder();
    while (!QFileInfo(path).isDir()) {
        const QString above = QFileInfo(path).absolutePath();
        if (above == path) break;
        path = above;
    }
    const QStringList watched = watcher_.directories();
    if (watched == QStringList{path}) return;
    if (!watched.isEmpty()) watcher_.removePaths(watched);
    if (QFileInfo(path).isDir()) watcher_.addPath(path);
}

void PresetLibrary::refresh() {
    QList<PresetEntry> found;
    const QDir dir(folder());
    if (dir.exists()) {
        // The name filter matches without regard to letter case, as the desktop's dialogs do.
        for (const QFileInfo& file :
             dir.entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::NoSort)) {
            found.append({file.fileName(), file.lastModified()});
        }
    }
    std::sort(found.begin(), found.end(), [](const PresetEntry& a, const PresetEntry& b) {
        if (a.modified != b.modified) return a.modified > b.modified;
        return a.name < b.name;
    });
    if (found == entries_) return;
    entries_ = std::move(found);
    Q_EMIT changed();
}

QString PresetLibrary::fileNameFor(const QString& typed) {
    return QString::fromStdString(presetSaveName(typed.trimmed().toStdString()));
}

QString PresetLibrary::nameProblem(const QString& fileName) {
    for (const QChar c : fileName) {
        if (ForbiddenCharacters.contains(c) || c.unicode() < 0x20) {
            QStringList shownCharacters;
            for (const QChar f : ForbiddenCharacters) shownCharacters << QString(f);
            return "a preset name cannot hold any of " + shownCharacters.join(' ');
        }
    }
    const bool preset = fileName.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    if ((preset ? fileName.chopped(4) : fileName).trimmed().isEmpty())
        return QStringLiteral("the name is empty");
    // Such a file is hidden, so it would leave the list.
    if (fileName.startsWith('.')) return QStringLiteral("a preset name cannot start with a dot");
    return {};
}

Outcome PresetLibrary::warned(Outcome::Kind kind, const QString& message) {
    services_.dialogs.warn(message);
    return {kind, message};
}

QString PresetLibrary::existingFile(const QString& name) const {
    const QString path = pathOf(name);
    return plainName(name) && QFileInfo(path).isFile() ? path : QString();
}

Outcome PresetLibrary::gone(const QString& name) {
    refresh();
    return warned(Outcome::Failed, "The preset " + name + " is no longer in the preset folder.");
}

Outcome PresetLibrary::rename(const QString& name, QString* renamedTo) {
    const QString path = existingFile(name);
    if (path.isEmpty()) return gone(name);
    const QString typed =
        services_.dialogs.askText(RenameTitle, "New name for the preset " + name + ":", name);
    if (typed.trimmed().isEmpty()) return Outcome::cancelled();
    return renameTo(name, typed, renamedTo);
}

Outcome PresetLibrary::renameTo(const QString& name, const QString& typed, QString* renamedTo) {
    const QString target = fileNameFor(typed);
    const QString cannot = "The preset " + name + " cannot be renamed to " + target + ": ";
    if (const QString problem = nameProblem(target); !problem.isEmpty())
        return warned(Outcome::Refused, cannot + problem + ".");
    if (target == name) return Outcome::cancelled();
    const QString from = existingFile(name);
    if (from.isEmpty()) return gone(name);
    const QString to = pathOf(target);
    // A change of letter case only names the same file where names ignore case.
    const bool sameFile =
        target.compare(name, Qt::CaseInsensitive) == 0 && QFileInfo(from) == QFileInfo(to);
    if (QFileInfo::exists(to) && !sameFile)
        return warned(Outcome::Refused, cannot + "a preset of that name already exists.");
    // Never over another file, even one made meanwhile: the toolkit refuses an existing target.
    QFile file(from);
    if (!file.rename(to)) return warned(Outcome::Failed, cannot + file.errorString() + ".");
    refresh();
    if (renamedTo) *renamedTo = target;
    return Outcome::done("Preset renamed to " + target);
}

Outcome PresetLibrary::remove(const QString& name) {
    const QString path = existingFile(name);
    if (path.isEmpty()) return gone(name);
    if (!services_.dialogs.confirm("Delete the preset " + name + "?", Dialogs::Default::No))
        return Outcome::cancelled();
    QFile file(path);
    if (!file.remove()) {
        refresh();
        return warned(Outcome::Failed,
                      "The preset " + name + " cannot be deleted: " + file.errorString() + ".");
    }
    refresh();
    return Outcome::done("Preset deleted: " + name);
}

Outcome PresetLibrary::load(const QString& name, bool linked, Presets& presets) {
    if (!linked) return warned(Outcome::Refused, LoadNeedsLink);
    const QString path = existingFile(name);
    if (path.isEmpty()) return gone(name);
    const Outcome loaded = presets.loadPresetFile(path);
    // The loader tells its own failures; a refusal (a busy link) it leaves to the caller.
    if (loaded.kind == Outcome::Refused) services_.dialogs.warn(loaded.sentence);
    return loaded;
}

Outcome PresetLibrary::saveCurrent(bool linked, Presets& presets) {
    if (!linked) return warned(Outcome::Refused, SaveNeedsLink);
    const Outcome saved = presets.menuSavePresetClick();
    if (saved.kind == Outcome::Refused) services_.dialogs.warn(saved.sentence);
    watch();
    refresh();
    return saved;
}

Outcome PresetLibrary::openFolder() {
    const QString path = folder();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path.toStdString()), error);
    if (error) {
        return warned(Outcome::Failed,
                      shown(path) + ": " + QString::fromStdString(error.message()));
    }
    watch();
    refresh();
    if (!services_.shell.openUrl(QUrl::fromLocalFile(path).toString())) {
        return warned(Outcome::Failed,
                      "No file manager could be started. The preset folder is at:\n" + shown(path));
    }
    return Outcome::done();
}

}  // namespace korvanne
