#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QPrinter>
#include <QString>
#include <QtGlobal>

#include <deque>
#include <optional>

// The Dialogs seam with answers a test scripts in advance. Every question
// is recorded; a question with no scripted answer is a test fault and
// stops the test at once.
class ScriptedDialogs : public pimoko::Dialogs {
public:
    struct SaveRequest {
        QString presetFileName;
        QString defaultSuffix;
    };

    std::optional<pimoko::Color> nextColor;
    QList<pimoko::Color> openedOn;
    std::deque<pimoko::SaveAnswer> saveAnswers;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<bool>> yesDefaultAnswers;
    std::deque<pimoko::SaveAnswer> keepAnswers;
    std::deque<std::optional<pimoko::SaveChoice>> saveChoices;
    std::deque<std::optional<QString>> openChoices;

    QList<QString> questions;
    QList<QString> yesNoQuestions;
    QList<QString> yesDefaultQuestions;
    QList<QString> keepQuestions;
    QList<bool> keepOffered;
    QList<QString> refusals;
    QList<QString> errors;
    QList<SaveRequest> saveRequests;
    std::deque<pimoko::PrintAnswer> printAnswers;
    // Where a confirmed print goes, as a PDF file.
    QString printFile;
    int openRequests = 0;
    int printRequests = 0;
    int beeps = 0;

    std::optional<pimoko::Color> chooseColor(QWidget*, pimoko::Color initial) override
    {
        openedOn.append(initial);
        return nextColor;
    }
    pimoko::SaveAnswer askYesNoCancel(QWidget*, const QString& text) override
    {
        questions.append(text);
        return next(saveAnswers, "question", text);
    }
    bool askYesNo(QWidget*, const QString& text) override
    {
        yesNoQuestions.append(text);
        return next(yesNoAnswers, "yes/no question", text);
    }
    std::optional<bool> askYesNoDefaultYes(QWidget*, const QString& text) override
    {
        yesDefaultQuestions.append(text);
        return next(yesDefaultAnswers, "yes-default question", text);
    }
    pimoko::SaveAnswer askKeepOtherImages(QWidget*, const QString& text, bool offered) override
    {
        keepQuestions.append(text);
        keepOffered.append(offered);
        return next(keepAnswers, "keep-images question", text);
    }
    void showRefusal(QWidget*, const QString& text) override { refusals.append(text); }
    void showError(QWidget*, const QString& text) override { errors.append(text); }
    std::optional<QString> askOpenFileName(QWidget*) override
    {
        ++openRequests;
        return next(openChoices, "open dialog");
    }
    std::optional<pimoko::SaveChoice> askSaveFileName(QWidget*, const QString& preset, const QString& suffix) override
    {
        saveRequests.append({preset, suffix});
        return next(saveChoices, "save dialog");
    }
    pimoko::PrintAnswer askToPrint(QWidget*, QPrinter& printer) override
    {
        ++printRequests;
        if (!printFile.isEmpty())
            printer.setOutputFileName(printFile);
        return next(printAnswers, "print dialog");
    }
    void beep() override { ++beeps; }

private:
    // The next scripted answer; none left stops the test.
    template <typename Answer>
    static Answer next(std::deque<Answer>& answers, const char* asked, const QString& text = {})
    {
        if (answers.empty())
            qFatal("unscripted %s: %s", asked, qPrintable(text));
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};
