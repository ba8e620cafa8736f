#include "ui/DropTarget.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "ui/QtText.h"

namespace exambell {
namespace {

std::vector<Text> localFiles(const QMimeData* data) {
    std::vector<Text> names;
    if (!data || !data->hasUrls()) {
        return names;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            names.push_back(fromQString(QDir::toNativeSeparators(url.toLocalFile())));
        }
    }
    return names;
}

}  // namespace

DropTarget::DropTarget(QObject* parent, const Text& designName) : QObject(parent) {
    setObjectName(toQString(designName));
}

void DropTarget::registerWindow(QWidget* window) {
    window_ = window;
    // Controls that take drops themselves (edit boxes) would swallow the files: the window
    // alone accepts them, wherever they land.
    for (QWidget* child : window->findChildren<QWidget*>()) {
        child->setAcceptDrops(false);
    }
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

Text DropTarget::namesText(const std::vector<Text>& fullNames) {
    if (fullNames.size() == 1) {
        return fullNames.front();
    }
    Text text;
    for (const Text& name : fullNames) {
        text += name;
        text += "\r\n";
    }
    return text;
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!localFiles(drag->mimeData()).empty()) {
                drag->acceptProposedAction();
                return true;
            }
            return false;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            std::vector<Text> names = localFiles(drop->mimeData());
            if (names.empty()) {
                return false;
            }
            drop->acceptProposedAction();
            Q_EMIT filesDropped(namesText(names));
            return true;
        }
        default:
            return false;
    }
}

}  // namespace exambell
