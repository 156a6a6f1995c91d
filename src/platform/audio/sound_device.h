#pragma once
// The sound device and its buffers, as the sound code was first written against them:
// a device object opened for the game window, one primary buffer standing for the mixed
// output and any number of secondary buffers, each a fixed-length block of sample data in
// its own format that plays once or loops. Duplicates share their original's samples and
// have their own position. Buffers are never lost here.
//
// Calls come from the game's thread; the output mixes on the sound output's own thread,
// so the state the two share is taken under a short lock.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/audio/sound_mixer.h"
#include "platform/audio/wave_format.h"
#include "platform/hresult.h"
#include "platform/system/window.h"

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// Cooperative levels.
constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;
constexpr uint32_t DSSCL_EXCLUSIVE = 3;
constexpr uint32_t DSSCL_WRITEPRIMARY = 4;

// Buffer capabilities.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr uint32_t DSBCAPS_STATIC = 0x2;
constexpr uint32_t DSBCAPS_CTRL3D = 0x10;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr uint32_t DSBCAPS_CTRLFX = 0x200;

constexpr uint32_t DSBSTATUS_PLAYING = 0x1;
constexpr uint32_t DSBSTATUS_LOOPING = 0x4;

constexpr uint32_t DSBPLAY_LOOPING = 0x1;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x2;

constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr int32_t DSBPAN_LEFT = -10000;
constexpr int32_t DSBPAN_RIGHT = 10000;
constexpr uint32_t DSBFREQUENCY_ORIGINAL = 0;
constexpr uint32_t DSBFREQUENCY_MIN = 100;
constexpr uint32_t DSBFREQUENCY_MAX = 200000;
constexpr uint32_t DSBSIZE_MIN = 4;
constexpr uint32_t DSBSIZE_MAX = 0x0FFFFFFF;

constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DS_NO_VIRTUALIZATION = MakeResult(0x0878000Au);
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_NOAGGREGATION = MakeResult(0x80040110u);
constexpr HRESULT DSERR_CONTROLUNAVAIL = MakeResult(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDCALL = MakeResult(0x88780032u);
constexpr HRESULT DSERR_BADFORMAT = MakeResult(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = MakeResult(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = MakeResult(0x88780096u);

struct DSBUFFERDESC {
  uint32_t dwSize;  // sizeof(DSBUFFERDESC)
  uint32_t dwFlags;
  uint32_t dwBufferBytes;
  uint32_t dwReserved;
  const WAVEFORMATEX* lpwfxFormat;
  GUID guid3DAlgorithm;
};

// Where the mixed sound goes. Speakers: SDL's default output, mixed on its thread.
// Manual: nothing is mixed until MixOutput is called (tests, benchmarks). Missing: as on a
// machine without sound, no device can be created and no lost output comes back.
// Off: no device is made and nothing is said, for a game meant to be silent (a headless
// replay without sound).
enum class SoundOutputMode { Speakers, Manual, Missing, Off };
void SetSoundOutputMode(SoundOutputMode mode);
SoundOutputMode GetSoundOutputMode();

// The player's volume over the whole mix, 0 (silent) to 1 (as mixed): for the device
// there is and any made later. Only what is heard changes; the buffers play, end and
// report exactly as they would at any volume.
void SetOutputVolume(float fVolume);
float GetOutputVolume();

class SoundBuffer;

class SoundDevice {
 public:
  uint32_t AddRef();
  uint32_t Release();

  HRESULT SetCooperativeLevel(WindowHandle hwnd, uint32_t dwLevel);
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* pcDSBufferDesc, SoundBuffer** ppDSBuffer,
                            void* pUnkOuter);
  HRESULT DuplicateSoundBuffer(SoundBuffer* pDSBufferOriginal, SoundBuffer** ppDSBufferDuplicate);

  // Mixes the next dwFrames frames of every playing buffer into psOutput (2 channels,
  // 16 bits, 22050 frames per second), kept under full scale and at the player's volume
  // (FinishMix), and moves the buffers on. The output thread calls it; so may tests and
  // benchmarks.
  void MixOutput(int16_t* psOutput, uint32_t dwFrames);
  // Moves every playing buffer on by qwFrames output frames as MixOutput would, without
  // mixing them: time no one hears (a replay's clock jumping days ahead) costs no time.
  void SkipOutput(uint64_t qwFrames);

  // The SDL output currently open for this device (0 for none): for the output's own
  // code and its tests.
  uint32_t OutputId() const { return m_uOutputId.load(); }
  // Called when the output device went away (from any thread): the next call from the
  // game's thread reopens the default output; buffers keep their state. While there is
  // none, playing buffers move on by the game's clock, unheard.
  void MarkOutputLost() { m_bOutputLost.store(true); }

 private:
  friend class SoundBuffer;
  friend HRESULT DirectSoundCreate8(const GUID*, SoundDevice**, void*);

  SoundDevice() = default;
  ~SoundDevice();
  // Reopens a lost output, and moves the buffers on while there is none; cheap when
  // nothing is wrong.
  void ServiceOutput();
  bool OpenOutput(uint32_t dwNow);
  void AdvanceInSilence(uint32_t dwNow);
  // Holds the device for the buffer and puts it at the head of the list the mix reads.
  void AddBuffer(SoundBuffer* pBuffer);

  uint32_t m_dwRefs = 1;
  bool m_bUsesOutput = false;  // false in manual mode
  std::atomic<uint32_t> m_uOutputId{0};
  std::atomic<bool> m_bOutputLost{false};
  uint32_t m_dwNextReopenTry = 0;  // game-clock milliseconds
  bool m_bReportedNoOutput = false;
  uint32_t m_dwSilentClock = 0;       // when the buffers were last moved on unheard
  uint64_t m_qwSilentFrameParts = 0;  // thousandths of a frame not yet moved on

  std::mutex m_mutex;  // guards the buffer list, every voice's state and the output stage
  SoundBuffer* m_pFirstBuffer = nullptr;
  MixOutputStage m_outputStage;
};

class SoundBuffer {
 public:
  uint32_t AddRef();
  uint32_t Release();

  HRESULT GetStatus(uint32_t* pdwStatus);
  HRESULT Lock(uint32_t dwOffset, uint32_t dwBytes, void** ppvAudioPtr1, uint32_t* pdwAudioBytes1,
               void** ppvAudioPtr2, uint32_t* pdwAudioBytes2, uint32_t dwFlags);
  HRESULT Unlock(void* pvAudioPtr1, uint32_t dwAudioBytes1, void* pvAudioPtr2,
                 uint32_t dwAudioBytes2);
  HRESULT SetFormat(const WAVEFORMATEX* pcfxFormat);
  HRESULT SetVolume(int32_t lVolume);
  HRESULT SetFrequency(uint32_t dwFrequency);
  HRESULT GetFrequency(uint32_t* pdwFrequency);
  HRESULT SetPan(int32_t lPan);
  // Starts playing from the current position; a buffer already playing goes on where it
  // is, taking the new looping flag.
  HRESULT Play(uint32_t dwReserved1, uint32_t dwPriority, uint32_t dwFlags);
  // Stops and keeps the position; what was playing fades out in the mix alone.
  HRESULT Stop();
  HRESULT SetCurrentPosition(uint32_t dwNewPosition);
  HRESULT GetCurrentPosition(uint32_t* pdwCurrentPlayCursor, uint32_t* pdwCurrentWriteCursor);

 private:
  friend class SoundDevice;

  explicit SoundBuffer(SoundDevice* pDevice) : m_pDevice(pDevice) {}
  ~SoundBuffer() = default;
  void UpdateGains();

  uint32_t m_dwRefs = 1;
  SoundDevice* m_pDevice;
  bool m_bPrimary = false;
  uint32_t m_dwFlags = 0;
  uint32_t m_dwBufferBytes = 0;
  uint32_t m_dwOriginalFrequency = 0;
  uint32_t m_dwFrequency = 0;
  int32_t m_lVolume = 0;
  int32_t m_lPan = 0;
  SampleMemory* m_pMemory = nullptr;
  SoundVoice m_voice;        // under the device's lock
  SoundVoice m_fadingVoice;  // the same, just stopped: heard fading out, never reported
  SoundBuffer* m_pNextBuffer = nullptr;
  SoundBuffer* m_pPrevBuffer = nullptr;
};

// Creates the device object for the default output. DSERR_NODRIVER, after a one-line
// message on standard error, when the machine has no sound output.
HRESULT DirectSoundCreate8(const GUID* pcGuidDevice, SoundDevice** ppDS8, void* pUnkOuter);
