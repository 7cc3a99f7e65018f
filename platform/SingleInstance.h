#pragma once
// Finds another running copy of the program through a local socket named after the
// user and the program folder. The first copy listens; a second copy asks it to bring
// its main window forward and then ends without a window of its own.
//
// The socket is a plain Unix-domain socket in the temporary folder (as Qt's local
// sockets put theirs), watched with the event loop's notifiers: nothing beyond the
// core of Qt is loaded at start-up for it.

#include <QObject>
#include <QString>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

namespace tabulo {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket name for this user and program folder.
    static QString ServerNameFor(const std::filesystem::path& programFolder);

    // True when this is the only copy (it now listens); false when another copy
    // answered and has been asked to activate its window.
    bool BecomePrimary();

signals:
    // Another copy asked this one to show its window.
    void activationRequested();

private:
    bool AskRunningCopy();
    bool Listen();
    void TakeConnections();
    void ReadFrom(int peer);
    void Drop(int peer);

    QString name_;
    std::string path_;  // the socket file, once this copy listens on it
    int server_ = -1;
    std::unique_ptr<QSocketNotifier> serverNotifier_;
    struct Peer {
        std::unique_ptr<QSocketNotifier> notifier;
        std::string received;
    };
    std::map<int, Peer> peers_;
};

}  // namespace tabulo
