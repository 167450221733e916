#pragma once
// What the receive engine and the senders report: the main window implements it (mapping each
// event onto its controls), the tests with a recording fake, a program without a window with
// what it needs. Every event but the terminal has a default that does nothing, so a host
// implements only what it shows. Nothing here moves the engine; that is the senders' job
// (commands.h).

#include <string>

#include "link/terminal.h"

namespace tq {

class EngineHost {
public:
    virtual ~EngineHost() = default;

    // The terminal text (Text1): what the controller says and the engine's reports.
    virtual TerminalText& terminal() = 0;
    // A sender or the engine set the period of the receive ticks (Timer1), in ms; it takes
    // effect from the next tick. The interval is also in Module1's EngineState.
    virtual void intervalChanged(int ms) { (void)ms; }
    // A read-back changed the copies: the list, the channel count and both CRCs follow them
    // (ListInit).
    virtual void copiesChanged() {}
    // The parameter record came in; crcCaption is its CRC as the tool shows it ("251-88 Chip ").
    virtual void paramRecordTaken(const std::string& crcCaption) { (void)crcCaption; }
    // The record came from a plain read-back: there is a parameter set for the USB compiler.
    virtual void usbCompilerAvailable() {}
    // The read-back became the working copy, which no longer belongs to a file; caption says so
    // (" Dati recuperati dal TQ310").
    virtual void readBackCopied(const std::string& caption) { (void)caption; }
    // RowBuffer holds the next course of the production simulation.
    virtual void simulationCourseTaken() {}

    // A notification, not a step the controller sees: the last call of the tick that took the
    // menu texts, after all the engine's own text. recordTaken: the same read-back took the
    // parameter record just before them ("H" then "J"), so the device copy is complete. The main
    // window marks the list's differences and keeps a backup here.
    virtual void menuTextsTaken(bool recordTaken) { (void)recordTaken; }
};

}  // namespace tq
