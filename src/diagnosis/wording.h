#pragma once

#include <QString>
#include <filesystem>
#include <string>

#include "diagnosis/input_check.h"
#include "forms/forms.h"
#include "storage/file_place.h"

namespace bio {

class PrinterError;
struct SaveResult;
struct GraphDays;

// Every sentence the program says to the person outside the diagnosis itself
// (whose texts are in texts.h): message boxes, the PDF question and dialog,
// and the word on stderr when there is no desktop. The layers below report
// what happened (an errno, an IPP status, a rejected box); only this file
// turns that into Japanese, so the wording stays consistent and in one place.

// The refused box, named by its frame and label, and what it takes.
QString RejectionText(const Rejection& rejection);

// The run's guard for dates the check lets through but the day count cannot
// hold.
QString NotComputableText();

// kojinfl.txt could not be saved; the diagnosis goes on.
QString PersonalFileSaveFailureText(const SaveResult& failure);

// A printer that is missing or refused the document.
QString PrinterFailureText(const PrinterError& error);

// With no printer at all: the question whether to keep the page as a PDF,
// the save dialog's words, and a PDF that could not be written, with the
// errno behind it (0: no reason known).
Question OfferPdfQuestion();
SaveDialogWords SavePdfDialogWords();
QString PdfSaveFailureText(const QString& path, int error_number);

// The monthly graph's name, and what it shows in words for those who cannot
// see it: each curve's highest and lowest days, its crossings of the zero
// line, and where it stands on the day asked about.
QString GraphNameText(double month);
QString GraphDescriptionText(double month, const GraphDays& days);

// What an event procedure was doing when something unforeseen stopped it.
enum class EventFailure { kOutOfMemory, kUnexpected };
QString EventFailureText(const char* action, EventFailure failure);

// For stderr, before any window can exist: one line in Japanese, one in
// English.
extern const char kNoDesktopSessionText[];

// For --help, in Japanese and in English: what the program does, where this
// copy keeps kojinfl.txt, and its options.
std::string HelpText(ProgramCopy copy);

}  // namespace bio
