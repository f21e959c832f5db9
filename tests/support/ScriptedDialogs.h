#pragma once
// The windows' dialogs answered by the tests: messages are recorded, questions answered from a
// queue (Yes when empty; the three-way ones from a queue of their own), file dialogs return
// prepared paths, our own dialogs are driven by a function that gets the dialog before it would
// run.
#include <QDialog>
#include <deque>
#include <functional>

#include "ui/common/Dialogs.h"

class ScriptedDialogs : public Ui::Dialogs {
  public:
    ScriptedDialogs() : previous(install(this)) {}
    ~ScriptedDialogs() override { install(previous); }

    void message(QWidget*, const QString& text, const QString& title) override {
        messages << text;
        messageTitles << title;
    }
    bool question(QWidget*, const QString& text, const QString&) override {
        questions << text;
        if (answers.empty()) return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    Ui::Answer questionWithCancel(QWidget*, const QString& text, const QString& title) override {
        questions << text;
        questionTitles << title;
        if (threeWay.empty()) return Ui::Answer::Yes;
        const Ui::Answer a = threeWay.front();
        threeWay.pop_front();
        return a;
    }
    QStringList openFiles(QWidget*, const QString& title, const QString&, const QString& filter,
                          int* chosenFilter) override {
        titles << title;
        filters << filter;
        if (chosenFilter) *chosenFilter = 0;
        return std::exchange(chosenFiles, {});
    }
    QString openFile(QWidget*, const QString& title, const QString&, const QString& filter,
                     bool) override {
        titles << title;
        filters << filter;
        return singleFiles.empty() ? QString() : singleFiles.takeFirst();
    }
    std::optional<Ui::SaveChoice>
    saveFile(QWidget*, const QString&, const QString& initial, const QString&,
             const std::function<bool(const Ui::SaveChoice&)>& accept) override {
        saveInitial << initial;
        while (!saves.empty()) {
            const Ui::SaveChoice c = saves.front();
            saves.pop_front();
            if (!accept || accept(c)) return c;
        }
        return std::nullopt;
    }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return folder; }
    int exec(QDialog& dialog) override {
        executed << dialog.objectName();
        return onExec ? onExec(dialog) : QDialog::Rejected;
    }

    QStringList messages, messageTitles, questions, questionTitles, titles, filters, saveInitial,
        executed;
    std::deque<bool> answers;
    std::deque<Ui::Answer> threeWay;
    QStringList chosenFiles, singleFiles;
    std::deque<Ui::SaveChoice> saves;
    QString folder;
    std::function<int(QDialog&)> onExec;

  private:
    Ui::Dialogs* previous;
};
