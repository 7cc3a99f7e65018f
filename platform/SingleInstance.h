#pragma once
// Finds another running copy of the program through a local socket named after the
// user and the program folder. The first copy listens; a second copy asks it to bring
// its main window forward and then ends without a window of its own.

#include <QObject>
#include <QString>

#include <filesystem>

class QLocalServer;

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

    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace tabulo
