// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "egogoteaerror.h"
#include "gogolibrary.h"
#include "gogoteatypes.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace trackmill {

class GogoJobState;
class TEncodeThread;

// The encoder component: holds the encoder settings, configures the
// encoder library for one job (on a job state of its own when the library
// has handles, so several components encode at once), runs the job on its worker thread and
// reports progress, errors and the end of the job as signals on the thread
// that created it (the events travel through this object's event queue).
// Encodes from a WAV file (_FILE) or from PCM pushed with WriteData
// (_MEMORY: 16-bit stereo 44.1 kHz through a 1 MiB ring buffer).
//
// Misuse and setup failures raise EGogoTeaError.
class TGogoTea : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRingBufferSize = 1048576;

    // Loads the library (raises "GOGO.DLLを初期化できません." when it is
    // missing or incomplete) and starts the worker thread. This instance
    // becomes the one the memory-mode reader serves.
    explicit TGogoTea(const GogoLibrarySource& source, QObject* parent = nullptr);
    // Ends a running job (the partial output stays) and the worker thread.
    ~TGogoTea() override;

    QString SourceFile() const { return m_sourceFile; }
    void setSourceFile(const QString& path);
    QString DestinationFile() const { return m_destinationFile; }
    void setDestinationFile(const QString& path);
    bool IsEncoding() const { return m_isEncoding; }
    int Processors() const { return m_processors; }
    void setProcessors(int count);
    TEmphasis Emphasis() const { return m_emphasis; }
    void setEmphasis(TEmphasis emphasis);
    TUseUnits Optimization() const { return m_optimization; }
    void setOptimization(TUseUnits units);
    TEncodeType EncodeType() const { return m_encodeType; }
    void setEncodeType(TEncodeType type);
    int EncodeResult() const { return m_encodeResult; }
    int BitRate() const { return m_bitRate; }
    void setBitRate(int kbps);
    int AllFrames() const { return m_allFrames; }
    int Frequency() const { return m_frequency; }
    void setFrequency(int frames);
    bool UsePsyAnalize() const { return m_usePsyAnalize; }
    void setUsePsyAnalize(bool on);
    bool UseLPF() const { return m_useLPF; }
    void setUseLPF(bool on);
    bool UseVBR() const { return m_useVBR; }
    void setUseVBR(bool on);
    bool UseMPEG2() const { return m_useMPEG2; }
    void setUseMPEG2(bool on);
    int VBRLevel() const { return m_vbrLevel; }
    void setVBRLevel(int level);
    TThreadPriority Priority() const { return m_priority; }
    // Allowed during a job: changes the running thread's priority at once.
    void setPriority(TThreadPriority priority);
    QString DLLPath() const { return m_dllPath; }
    TEncodeMode EncodeMode() const { return m_encodeMode; }
    void setEncodeMode(TEncodeMode mode);
    TEncodeFormat EncodeFormat() const { return m_encodeFormat; }
    void setEncodeFormat(TEncodeFormat format);
    // The sub-objects: the setters check and copy a whole value; the
    // non-const accessors let the owner assign single fields unchecked.
    const TExtFilter& ExtFilter() const { return m_extFilter; }
    TExtFilter& ExtFilter() { return m_extFilter; }
    void setExtFilter(const TExtFilter& filter);
    const TVBRBitrate& VBRBitrate() const { return m_vbrBitrate; }
    TVBRBitrate& VBRBitrate() { return m_vbrBitrate; }
    void setVBRBitrate(const TVBRBitrate& range);
    const TMSSetting& MSSetting() const { return m_msSetting; }
    TMSSetting& MSSetting() { return m_msSetting; }
    void setMSSetting(const TMSSetting& setting);

    // Asked from the library on each call; 0 / 0 / empty on failure.
    int UnitStates() const;
    int VersionCode() const;
    QString VersionString() const;

    // Configures the library for one job (memory mode: call before Start).
    void Configure();
    // Starts the job on the worker thread (file mode: configures first).
    void Start();
    // Ends the running job; OnFinish(true) follows. Nothing when idle.
    void Abort();
    // Memory mode: appends `length` bytes to the ring buffer. A null buffer
    // ends the input. Returns false (and takes nothing) when the bytes do
    // not fit; the producer retries later. Always true in file mode.
    bool WriteData(const void* buffer, int length);

    // The errno of the last job's failed read or write (ENOSPC when the
    // disk filled up), 0 when it had none; set before OnError is emitted.
    int SystemError() const { return m_systemError; }

    // Kernel id of the worker thread (for priority checks).
    long workerThreadId() const;
    // The library gave this component a job state of its own: its jobs may
    // run while other components run theirs. Without it the components
    // share the library's one default job.
    bool ownsJobState() const;

signals:
    void OnProgress(int nowFrames, int allFrames);
    void OnError(int errorCode);
    void OnFinish(bool isAborted);

protected:
    bool event(QEvent* e) override;

private:
    // A fresh worker thread when the idle one cannot reach this job's priority.
    void renewThreadForPriority();
    void checkIdle() const;
    template <class T>
    void setWhileIdle(T& field, const T& value, bool valid = true);
    void closeConfiguredJob();
    // The reader function handed to the library in memory mode.
    static int32_t readerFunction(void* buffer, uint32_t bytes);
    // 0 served, 1 no data left, -1 not enough data yet.
    int32_t tryRead(void* buffer, uint32_t bytes);

    QString m_sourceFile;
    QString m_destinationFile;
    bool m_isEncoding = false;
    bool m_configured = false;
    int m_processors = 1;
    TEmphasis m_emphasis = _NO_EMPH;
    TUseUnits m_optimization{_USE_MMX, _USE_3DNOW, _USE_KNI, _USE_EX_3DNOW};
    TEncodeType m_encodeType = _JOINT;
    int m_encodeResult = 0;
    int m_systemError = 0;
    int m_bitRate = 128;
    int m_allFrames = 0;
    int m_frequency = 100;
    bool m_usePsyAnalize = false;
    bool m_useLPF = false;
    bool m_useVBR = false;
    bool m_useMPEG2 = false;
    int m_vbrLevel = 5;
    TThreadPriority m_priority = tpIdle;
    QString m_dllPath;
    TEncodeMode m_encodeMode = _FILE;
    TEncodeFormat m_encodeFormat = _FORMAT_OF_MP3;
    TExtFilter m_extFilter;
    TVBRBitrate m_vbrBitrate;
    TMSSetting m_msSetting;

    // The ring buffer: indexes and contents guarded by m_ringMutex.
    mutable std::mutex m_ringMutex;
    std::vector<unsigned char> m_ring;
    int m_writeIndex = 0;
    int m_readIndex = 0;
    std::atomic<bool> m_endOfInput{false};
    std::atomic<bool> m_alive{false};

    std::shared_ptr<GogoLibrary> m_library;
    std::shared_ptr<GogoJobState> m_job;
    std::unique_ptr<TEncodeThread> m_thread;
};

}
