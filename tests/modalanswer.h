#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

// Answers the next modal dialogs the program opens, one answer each, in
// order: presses the button with the given text, or rejects the dialog for
// an empty text. Records what each dialog said.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(const QString &buttonText = QString(), int waitMs = 20000)
        : ModalAnswer(QStringList{buttonText}, waitMs)
    {
    }

    explicit ModalAnswer(const QStringList &answers, int waitMs = 20000)
        : m_answers(answers), m_left(waitMs / 20)
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    bool answered() const { return !m_titles.isEmpty(); }
    int count() const { return m_titles.size(); }
    QString title(int i = 0) const { return m_titles.value(i); }
    QString text(int i = 0) const { return m_texts.value(i); }
    QStringList buttons(int i = 0) const { return m_buttons.value(i); }

private:
    void poll()
    {
        if (--m_left < 0 || m_answers.isEmpty()) {
            m_timer.stop();
            return;
        }
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        // The busy indicator is modal too, but it is the program's to close.
        if (!dialog || !dialog->isVisible() || dialog == m_last || dialog->inherits("QProcessIndicator"))
            return;
        m_last = dialog;
        const QString answer = m_answers.takeFirst();
        m_titles << dialog->windowTitle();
        auto *box = qobject_cast<QMessageBox *>(dialog);
        m_texts << (box ? box->text() : QString());
        const auto all = dialog->findChildren<QAbstractButton *>();
        QStringList names;
        for (QAbstractButton *b : all)
            names << b->text();
        m_buttons << names;
        if (!answer.isEmpty()) {
            for (QAbstractButton *b : all) {
                if (b->text() == answer) {
                    b->click();
                    return;
                }
            }
        }
        dialog->reject();
    }

    QTimer m_timer;
    QStringList m_answers;
    int m_left;
    QPointer<QDialog> m_last;
    QStringList m_titles;
    QStringList m_texts;
    QList<QStringList> m_buttons;
};
