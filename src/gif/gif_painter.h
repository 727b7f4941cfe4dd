// Showing a GIF image: TGifAnimator paints the frames of an animated image in
// turn, with their delays, disposal methods and repetitions, either on a
// thread of its own or inside the caller's Draw.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "ui/bitmap.h"

namespace gif {

class TGifAnimator;
class TGifPicture;
class TGifFrame;

using PainterEvent = std::function<void(TGifAnimator& sender)>;

struct TPainterEvents {
    PainterEvent AnimationStarted;
    PainterEvent FramePainting;
    PainterEvent FramePainted;
    PainterEvent AnimationLooped;
    PainterEvent AnimationEnded;
};

// How a painter waits between frames: given the planned wait in
// milliseconds, waits and returns the milliseconds that really passed. Unset,
// painters wait on the clock; tests set it to record the waits instead.
using PainterWaitFunction = std::function<uint32_t(uint32_t milliseconds)>;

constexpr int DelayUnitMs = 12;    // milliseconds per delay unit of a frame
constexpr int DefaultDelay = 10;   // units after a frame without a delay
constexpr int MinimumDelay = 3;    // smaller stored delays are raised to this
constexpr int MaximumDelay = 1000; // largest delay in the caller's thread

class TGifAnimator {
public:
    // Made suspended; ownerReference (may be null) is set to the painter and
    // cleared when the painter detaches.
    TGifAnimator(TGifPicture* image, uint16_t paintFlags, const RECT& rect, HDC canvas,
                 TGifAnimator** ownerReference);
    TGifAnimator(const TGifAnimator&) = delete;
    TGifAnimator& operator=(const TGifAnimator&) = delete;

    // Starts a threaded painter (it frees itself when it ends).
    void Resume();
    // Asks the painter to end; a threaded one is woken from its wait.
    void StopPainter();

    bool Threaded() const { return threaded_; }
    bool Terminated() const { return terminated_; }
    bool Started() const { return started_; }
    HDC Canvas() const { return canvas_; }
    const RECT& Rect() const { return rect_; }
    TGifPicture* Image() const { return image_; }

    // The frame being shown, -1 when idle; a FramePainted handler may set it
    // to choose the next frame.
    int ActiveFrame = -1;
    // Disposal method of the frame being shown and of the one before it.
    int Disposal = 0;
    int PreviousDisposal = 0;
    TPainterEvents Events;

private:
    friend class TGifPicture;
    ~TGifAnimator();
    static DWORD WINAPI ThreadMain(void* self);

    void Run();  // the body
    void Execute();
    void Fire(const PainterEvent& event);
    void Synchronize(const std::function<void()>& call);
    void Wait(int delayUnits);
    uint32_t NowMs() const;
    void PaintActiveFrame(TGifFrame* frame);
    void PaintFrame(TGifFrame* frame);
    void RestoreFrameArea(TGifFrame* frame);
    // Clean-up when the painter ends: leaves the image's list, clears the
    // owner reference, frees its bitmaps.
    void DetachPainter();
    void KillThread();

    TGifPicture* image_;
    HDC canvas_;
    RECT rect_;
    uint16_t flags_;
    int animationPercent_;
    bool threaded_;
    ui::Bitmap scene_, staging_, backgroundCopy_;
    COLORREF backdrop_ = 0;
    HDC rememberedDc_ = nullptr;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> started_{false};
    TGifAnimator** ownerReference_;
    HANDLE stopEvent_ = nullptr;
    HANDLE thread_ = nullptr;
    std::exception_ptr captured_;
    PainterWaitFunction waitFunction_;
    // Timing of the waits.
    uint32_t stepStart_ = 0;
    int64_t plannedMs_ = 0;
    uint32_t virtualClock_ = 0;  // with a wait function: the time it reported
};

// Runs queued calls of painter threads on the thread that made the
// synchronisation window (the image's thread); used while that thread waits
// for painters. Returns false when a quit message arrived (it is posted
// again).
bool DispatchPainterCalls();
// The synchronisation window, or null when none was made yet.
HWND PainterSyncWindow();

}  // namespace gif
