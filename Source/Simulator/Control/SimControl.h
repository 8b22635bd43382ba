/* Control functions of the simulated PC, exported by the stand-in IO.dll for in-process tests
 * of the Windows builds. Caller-pops convention. Not part of the SDK's product interface. */
#ifndef TARVEN_SIMCONTROL_H
#define TARVEN_SIMCONTROL_H

#if !defined(_WIN32) && !defined(__cdecl)
#define __cdecl
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum { TARVENSIM_PORT_READ = 0, TARVENSIM_PORT_WRITE = 1, TARVENSIM_CALL = 2 };

typedef struct TarvenSimEvent {
  int kind;                   /* TARVENSIM_PORT_READ, _PORT_WRITE or _CALL */
  int port;                   /* port events */
  int value;                  /* port events: the byte read or written */
  char call[32];              /* calls: the function's name */
  unsigned long long args[3]; /* calls: the arguments, widened */
} TarvenSimEvent;

void __cdecl TarvenSim_Reset(void);
/* A fresh simulated PC configured from the TARVEN_SIM_* environment variables, as a program
 * started now would find it. */
void __cdecl TarvenSim_ResetFromEnvironment(void);
void __cdecl TarvenSim_SetPortAccess(int granted);
void __cdecl TarvenSim_SetUnitPresent(int present);
void __cdecl TarvenSim_SetModel(const char* fourCharacters);
void __cdecl TarvenSim_SetFirmware(int major, int second, int third);
void __cdecl TarvenSim_FailDevInfo(int fail);
void __cdecl TarvenSim_FailDevStatus(int fail);
/* Status word (status bytes 0-3) and flag byte (status byte 8) the unit reports. */
void __cdecl TarvenSim_SetDevStatus(unsigned int statusWord, int flags);
/* The unit's tilt position (0-10) and day and night backlight levels (0-15). */
void __cdecl TarvenSim_SetMonitor(int tilt, int dayLevel, int nightLevel);
void __cdecl TarvenSim_GetMonitor(int* tilt, int* dayLevel, int* nightLevel);

/* The radio tuner on the parallel port: present, or absent with its data-in line idling high
 * or low. */
enum { TARVENSIM_TUNER_PRESENT = 0, TARVENSIM_TUNER_ABSENT_HIGH = 1, TARVENSIM_TUNER_ABSENT_LOW = 2 };
void __cdecl TarvenSim_SetTuner(int presence);
/* The stations on the air. band: TCX_BAND_FM (frequency in 10 kHz steps) or TCX_BAND_AM (in kHz). */
void __cdecl TarvenSim_ClearStations(void);
void __cdecl TarvenSim_AddStation(int band, int frequency, int stereo);
/* A slow counter: the first status read of each count reports the indicator bit set. */
void __cdecl TarvenSim_SetTunerSlowCounter(int slow);
/* Copies the four bytes of the tuner's divisor (0x28) or mode (0x29) register into bytes;
 * 0 for any other address. */
int __cdecl TarvenSim_GetTunerFrame(int address, unsigned char bytes[4]);

/* Writes the parallel port's lines to a waveform file (VCD) at path from now on, as
 * TARVEN_SIM_VCD does; a null or empty path ends the file being written. 1 when a file is
 * being written afterwards. */
int __cdecl TarvenSim_SetVcd(const char* path);

void __cdecl TarvenSim_ClearTrace(void);
int __cdecl TarvenSim_TraceLength(void);
/* Copies event index of the trace into out; 0 when index is out of range. */
int __cdecl TarvenSim_TraceEvent(int index, TarvenSimEvent* out);

int __cdecl TarvenSim_PortIoInitialized(void);
int __cdecl TarvenSim_OpenDeviceHandles(void);
/* Number of faults recorded (ports touched without access, handles not open, ...). */
int __cdecl TarvenSim_FaultCount(void);

#ifdef __cplusplus
}
#endif

#endif
