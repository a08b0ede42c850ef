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
        if (saveAnswers.empty())
            qFatal("unscripted question: %s", qPrintable(text));
        const pimoko::SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    bool askYesNo(QWidget*, const QString& text) override
    {
        yesNoQuestions.append(text);
        if (yesNoAnswers.empty())
            qFatal("unscripted yes/no question: %s", qPrintable(text));
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<bool> askYesNoDefaultYes(QWidget*, const QString& text) override
    {
        yesDefaultQuestions.append(text);
        if (yesDefaultAnswers.empty())
            qFatal("unscripted yes-default question: %s", qPrintable(text));
        const std::optional<bool> answer = yesDefaultAnswers.front();
        yesDefaultAnswers.pop_front();
        return answer;
    }
    pimoko::SaveAnswer askKeepOtherImages(QWidget*, const QString& text, bool offered) override
    {
        keepQuestions.append(text);
        keepOffered.append(offered);
        if (keepAnswers.empty())
            qFatal("unscripted keep-images question: %s", qPrintable(text));
        const pimoko::SaveAnswer answer = keepAnswers.front();
        keepAnswers.pop_front();
        return answer;
    }
    void showRefusal(QWidget*, const QString& text) override { refusals.append(text); }
    void showError(QWidget*, const QString& text) override { errors.append(text); }
    std::optional<QString> askOpenFileName(QWidget*) override
    {
        ++openRequests;
        if (openChoices.empty())
            qFatal("unscripted open dialog");
        auto choice = openChoices.front();
        openChoices.pop_front();
        return choice;
    }
    std::optional<pimoko::SaveChoice> askSaveFileName(QWidget*, const QString& preset, const QString& suffix) override
    {
        saveRequests.append({preset, suffix});
        if (saveChoices.empty())
            qFatal("unscripted save dialog");
        auto choice = saveChoices.front();
        saveChoices.pop_front();
        return choice;
    }
    pimoko::PrintAnswer askToPrint(QWidget*, QPrinter& printer) override
    {
        ++printRequests;
        if (!printFile.isEmpty())
            printer.setOutputFileName(printFile);
        if (printAnswers.empty())
            qFatal("unscripted print dialog");
        const pimoko::PrintAnswer answer = printAnswers.front();
        printAnswers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }
};
