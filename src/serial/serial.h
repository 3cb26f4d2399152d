// The serial link: the one port the program talks to the logger through.
#pragma once

#include <chrono>
#include <optional>
#include <string>

// How long reception waits for the next byte before it decides the logger has stopped.
// A live logger sends a byte about every millisecond during a dump and answers "p"
// within a second or two, so ten seconds of silence means it is not sending.
inline constexpr auto SILENCE_LIMIT = std::chrono::seconds(10);

// Pause after every byte sent, so the logger takes each one in turn.
inline constexpr auto SEND_PAUSE = std::chrono::milliseconds(250);

// Lets the user choose the port; returns its number (-1 when the input has ended).
int selectSerPort();

// Opens and configures COM<serNum>; -1 reopens the port used last. Ends the program
// with status 1 when no port was ever chosen. A port that cannot be opened is
// reported on the console and left closed.
void serInit(int serNum);

// Announces and closes the port.
void serClose();

// Closes and reopens the port, throwing away what the logger sent that nobody read.
void serEmpty();

bool serIsOpen();

// "COM<n>" of the port used last.
const char* serName();

// Sends one byte, then pauses SEND_PAUSE. False when the byte could not be sent;
// serProblem() says why.
bool serSendChar(char c);

// The next byte from the logger. Nothing when the port is not open, stopped working,
// or stayed silent for SILENCE_LIMIT; serProblem() says why.
std::optional<char> serRecvChar();

// Why the last serSendChar or serRecvChar failed, naming the port.
const std::string& serProblem();
