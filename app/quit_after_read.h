#pragma once
// The command line's test hook --quit-after-read, for installation checks (CI starts the
// installed tool with it): once the tool has started on --port, read the controller's
// parameters and menu texts as "Carica parametri  dal TQ310" does and end the program.
// Message boxes are not shown but written to standard error, since nobody is there to close them.

namespace tq {

class Form1;

namespace ui {
class MessageCapture;
}

// Runs the event loop until the read-back is complete, the line is gone, or 10 s have passed
// without the read-back completing. Prints the captured messages on standard error and, after a
// complete read-back, the device CRC as Label4 shows it ("251-88 Chip ") on standard output.
// Returns the exit status: 0 read, 1 not connected (the port did not open, or the line was lost),
// 3 no complete answer within 10 s.
int readAndQuit(Form1& form, const ui::MessageCapture& messages);

}  // namespace tq
