#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

// Answers the next modal dialog the program opens: presses the button with
// the given text (any dialog: the first button whose text matches), or
// rejects the dialog when no text is given. Records what the box said.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(const QString &buttonText = QString(), int waitMs = 20000)
        : m_button(buttonText), m_left(waitMs / 20)
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    bool answered() const { return m_answered; }
    QString title() const { return m_title; }
    QString text() const { return m_text; }
    QStringList buttons() const { return m_buttons; }

private:
    void poll()
    {
        if (--m_left < 0) {
            m_timer.stop();
            return;
        }
        QWidget *w = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<QDialog *>(w);
        if (!dialog || !dialog->isVisible())
            return;
        m_timer.stop();
        m_title = dialog->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            m_text = box->text();
        const auto all = dialog->findChildren<QAbstractButton *>();
        for (QAbstractButton *b : all)
            m_buttons << b->text();
        m_answered = true;
        if (!m_button.isEmpty()) {
            for (QAbstractButton *b : all) {
                if (b->text() == m_button) {
                    b->click();
                    return;
                }
            }
        }
        dialog->reject();
    }

    QTimer m_timer;
    QString m_button;
    int m_left;
    bool m_answered = false;
    QString m_title;
    QString m_text;
    QStringList m_buttons;
};
