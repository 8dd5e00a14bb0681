// What the device operations need from the window, as small interfaces: the progress bar
// (by step, so the window keeps the captions), the messages told at a set moment while the
// chip is still held, and the two checks of every opening (the port choice, the delays).
#pragma once
#include "ops/OperationResult.h"

// The steps the progress bar shows.
enum class Step {
    Erase,
    BlankCheck,
    ProgramFlash,
    VerifyFlash,
    Lock1Bit,
    Lock2Bit,
    ReadFlash,
    ReadEeprom,
    WriteEeprom,
};

class CProgressReport {
public:
    virtual ~CProgressReport() = default;
    // A step begins: its caption, then position 0, range 0..upper and step 1.
    virtual void Begin(Step step, int upper) = 0;
    // The step's caption with a percentage.
    virtual void Percent(Step step, int percent) = 0;
    virtual void StepIt() = 0;
    // The step's caption for success.
    virtual void Done(Step step) = 0;
};

class CDeviceMessages {
public:
    virtual ~CDeviceMessages() = default;
    // Tells a result at the moment it is found, before the chip is released.
    virtual void Tell(const OperationResult& result) = 0;
};

class CPortOpening {
public:
    virtual ~CPortOpening() = default;
    // Reads the stored port choice and selects its port; false, after telling why (or after
    // the first-run notice), when no port can be used.
    virtual bool SelectPort() = 0;
    // False, after telling which, when a delay is out of its range.
    virtual bool DelaysUsable() = 0;
};
