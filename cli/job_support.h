#pragma once
// What the commands share: opening a parameter file as "apri file" does, the read-back, the
// backups, the reports of a wait that failed, and the JSON of the values.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "cli/device_session.h"
#include "cli/output.h"

namespace tq::cli {

// Opens the parameter file subject.file into the working copy and refreshes the list as "apri
// file" does. On a refusal prints the window's message and returns false (the caller exits
// FileRefused).
bool openParamFile(Module1& m, const Subject& subject, Output& out);

// "Carica parametri  dal TQ310": the record and the menu texts into the device copy.
Later<DeviceSession::Outcome> readBack(DeviceSession& session);

// The device copy of the read-back just taken, kept in the backups folder as the window keeps
// every complete read-back (files/backups.h): the path of the backup that holds it, or the
// window's message of why it could not be kept ("Copia di sicurezza NON salvata in ... (reason)").
struct KeptBackup {
    QString path;
    QString failure;
};
KeptBackup keepBackup(const Module1& m);
// The result line that says where it is.
QString backupLine(const QString& path);

// Prints why a wait ended without its answer (with how many of the awaited bytes came, for an
// answer cut short), and `note` after it, and returns the exit status for it.
int waitFailed(DeviceSession& session, DeviceSession::Outcome outcome, const Subject& subject, Output& out,
               const QString& note = {});

// Prints an error after what it concerns (`given`: a location or a file as the user typed it;
// none when empty) and, with --json, the outcome's object with the status and the text.
int fail(int status, const QString& given, const QString& text, const Subject& subject, Output& out,
         const QJsonObject& more = {});

// "251-88": a record's CRC bytes as the window's CRC labels show them.
QString crcText(const ParamRecord& record);
// Parameters 1-54 as numbers, and menu texts 0-11 (Latin-1 read as text).
QJsonArray paramsJson(const ParamRecord& record);
QJsonArray textsJson(const MenuTexts& texts, int count);

}  // namespace tq::cli
