#pragma once
// The receive engine: Timer1's handler. On every tick it reads its mode once and treats what
// the controller has sent according to it: free text for the terminal, the parameter record,
// the menu texts, a simulation row, the output phases, the input status, the output-test echo or
// a memory byte. Modes 5, 6 and 7 send their own request on one tick and read the reply on the
// next, alternating through PhaseToggle. The mode and the toggles are Module1's EngineState,
// which only the engine and the senders of commands.h write.

#include <cstdint>
#include <string>
#include <string_view>

#include "link/engine_host.h"
#include "link/serial_port.h"
#include "params/module1.h"

namespace tq {

// Thresholds: the answers of "H", "J" (at least 88 of its 120 bytes), one simulation row, "Y".
inline constexpr int kParamAnswerBytes = kDeviceRecordSize;
inline constexpr int kMenuAnswerMinBytes = 88;
inline constexpr int kRowMinBytes = 4;
inline constexpr int kRowMaxBytes = 12;
inline constexpr int kPhaseAnswerBytes = 32;

class ReceiveEngine {
public:
    ReceiveEngine(Module1& m, EngineHost& host);

    // The open port, or nullptr while unconnected (a tick then does nothing). A record taken on
    // another line never makes a complete read-back with texts taken on this one.
    void setPort(SerialPort* port)
    {
        m_port = port;
        m_recordTaken = false;
    }
    SerialPort* port() const { return m_port; }

    void tick();
    // The next tick would do nothing, and only the line's announcement (bytesArrived) or a sender
    // can change that: terminal mode and nothing waiting, on a line that announces its bytes.
    bool atRest();

private:
    void terminalTick();
    void paramReadTick();
    void menuReadTick();
    void simStepTick();
    void phaseReadTick();
    void inputPollTick();
    void outputTestTick();
    void memoryStepTick();
    void copyIntoWorkingCopy();

    Module1& m_m;
    EngineState& m_state;  // m_m.Engine, which names this class a friend
    EngineHost& m_host;
    SerialPort* m_port = nullptr;
    // The record was taken and no tick of another mode came between it and the menu texts.
    bool m_recordTaken = false;
};

// The address of a memory step, as the controller writes it after the data byte: a decimal
// number (leading blanks and a sign allowed, reading stops at the first character that cannot
// belong to it), rounded half to even and clipped to a signed 16-bit integer.
std::int16_t parseMemoryAddress(std::string_view digits);

// "AH= 2000 DH = 41 : A" and CR LF, for a memory step's reply (empty: no reply came).
std::string memoryStepLine(std::string_view reply);

// The engine is back in terminal mode: the read-back, write or request that a sender started is over.
inline bool engineInTerminalMode(const Module1& m)
{
    return m.Engine.mode() == ReceiveMode::Terminal;
}

// " Stato ingressi :" and the seven input lines, for the input byte v.
std::string inputStatusText(std::uint8_t v);
// The label of input bit 0-6 as the input status shows it ("Mor.12(conteggio)          = ").
std::string_view inputLabel(std::size_t bit);
inline constexpr std::size_t kInputBits = 7;

}  // namespace tq
