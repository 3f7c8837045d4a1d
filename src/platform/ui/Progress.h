#pragma once

#include <QString>

#include <atomic>

class QWidget;

// The count of a long piece of work (a folder walked, rows written), shown in a small window
// with a Cancel button for as long as the object lives. The work checks Cancelled(), or hands
// cancelFlag() to a directory walk, and stops once it is set. Shown through the UI seam, so a
// test sees every count and can press Cancel at a chosen one.
class ProgressBox
{
public:
    ProgressBox(const QString &title, const QString &text, QWidget *owner = nullptr);
    ~ProgressBox();
    ProgressBox(const ProgressBox &) = delete;
    ProgressBox &operator=(const ProgressBox &) = delete;

    // Shows the new count and text, then lets waiting events run, user input included, so that
    // the Cancel button is served while the work goes on.
    void Update(qint64 count, const QString &text);
    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    const std::atomic_bool *cancelFlag() const { return &cancelled_; }

    QString Title() const { return title_; }
    QString Text() const { return text_; }
    qint64 Count() const { return count_; }
    QWidget *Owner() const { return owner_; }

private:
    QString title_;
    QString text_;
    qint64 count_ = 0;
    QWidget *owner_;
    std::atomic_bool cancelled_ = false;
};
