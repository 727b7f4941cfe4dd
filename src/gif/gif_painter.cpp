#include "gif/gif_painter.h"

#include <algorithm>
#include <vector>

#include "gif/gif_texts.h"
#include "gif/gif_extensions.h"
#include "gif/gif_frame.h"
#include "gif/gif_picture.h"

namespace gif {

namespace {

// ---------------------------------------------------------------------------
// Running calls of painter threads on the image's thread.

constexpr UINT kRunCall = WM_APP + 0x47;
constexpr wchar_t kSyncClass[] = L"VorlixGifPainterSync";

struct SyncRequest {
    const std::function<void()>* call;
    HANDLE done;
    std::exception_ptr error;
};

HWND g_syncWindow = nullptr;
DWORD g_syncThread = 0;

LRESULT CALLBACK SyncWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunCall) {
        auto* request = reinterpret_cast<SyncRequest*>(lParam);
        try {
            (*request->call)();
        } catch (...) {
            request->error = std::current_exception();
        }
        SetEvent(request->done);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Made by the first thread that starts a painter; that thread runs the
// painters' drawing and events.
void EnsureSyncWindow() {
    if (g_syncWindow) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &SyncWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kSyncClass;
    RegisterClassExW(&wc);
    g_syncWindow = CreateWindowExW(0, kSyncClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    g_syncThread = GetCurrentThreadId();
}

int ThreadPriorityOf(int priority) {
    static const int kPriorities[7] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                                       THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                                       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                       THREAD_PRIORITY_TIME_CRITICAL};
    return kPriorities[std::clamp(priority, 0, 6)];
}

}  // namespace

HWND PainterSyncWindow() { return g_syncWindow; }

bool DispatchPainterCalls() {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        PostQuitMessage(int(msg.wParam));
        return false;
    }
    if (g_syncWindow && GetCurrentThreadId() == g_syncThread)
        while (PeekMessageW(&msg, g_syncWindow, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return true;
}

// ---------------------------------------------------------------------------
// Life

TGifAnimator::TGifAnimator(TGifPicture* image, uint16_t paintFlags, const RECT& rect, HDC canvas,
                           TGifAnimator** ownerReference)
    : image_(image),
      canvas_(canvas),
      rect_(rect),
      flags_(paintFlags),
      animationPercent_(image->AnimationPercent),
      threaded_((paintFlags & RunInThread) != 0),
      ownerReference_(ownerReference),
      waitFunction_(image->PainterWait) {
    EnsureSyncWindow();

    if (image->BackdropColor != clNone)
        backdrop_ = image->BackdropColor;
    else if (image->GlobalColorMap().Count() == 0)
        backdrop_ = GetSysColor(COLOR_WINDOW);
    else
        backdrop_ = image->BackgroundColor();

    bool restoresBackground = (flags_ & ClearOnRepeat) != 0, restoresPrevious = false;
    for (int i = 0; i < image->FrameCount(); ++i) {
        const int disposal = image->Frame(i)->Disposal();
        restoresBackground |= disposal == 2;
        restoresPrevious |= disposal == 3;
    }
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    auto copyOfTarget = [&] {
        ui::Bitmap copy(width, height, ui::PixelFormat::Bits24);
        if (copy.Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
        copy.Clear(backdrop_);
        if (canvas_) BitBlt(copy.Canvas(), 0, 0, width, height, canvas_, rect.left, rect.top, SRCCOPY);
        return copy;
    };
    if (restoresBackground && (flags_ & HonourTransparency)) backgroundCopy_ = copyOfTarget();
    if (restoresBackground || restoresPrevious) {
        scene_ = copyOfTarget();
        staging_ = ui::Bitmap(width, height, ui::PixelFormat::Bits24);
        if (staging_.Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
        staging_.Clear(backdrop_);
    }
    // Last: nothing above may leave the handle behind when it raises.
    if ((flags_ & RunInThread) && (flags_ & Animate) && image->FrameCount() > 1 && animationPercent_ >= 0)
        stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

TGifAnimator::~TGifAnimator() {
    DetachPainter();
    if (thread_) CloseHandle(thread_);
}

void TGifAnimator::Resume() {
    if (!threaded_ || thread_) return;
    thread_ = CreateThread(nullptr, 0, &ThreadMain, this, CREATE_SUSPENDED, nullptr);
    if (!thread_) {
        // Without a thread the painter cannot run; it ends at once.
        delete this;
        return;
    }
    SetThreadPriority(thread_, ThreadPriorityOf(image_ ? image_->PainterPriority : 3));
    ResumeThread(thread_);
}

DWORD WINAPI TGifAnimator::ThreadMain(void* self) {
    auto* painter = static_cast<TGifAnimator*>(self);
    painter->Execute();
    if (painter->captured_) {
        // Nobody waits for a threaded painter: its failure goes to the image's
        // warnings, on the image's thread.
        try {
            std::rethrow_exception(painter->captured_);
        } catch (const Exception& e) {
            std::wstring message = e.Message();
            try {
                painter->Synchronize([painter, &message] {
                    if (painter->image_) painter->image_->ReportWarning(painter, 2, message);
                });
            } catch (...) {
            }
        } catch (...) {
        }
        painter->captured_ = nullptr;
    }
    delete painter;
    return 0;
}

void TGifAnimator::StopPainter() {
    terminated_ = true;
    if (threaded_) {
        if (stopEvent_) SetEvent(stopEvent_);
        if (thread_) SetThreadPriority(thread_, THREAD_PRIORITY_NORMAL);
    }
}

void TGifAnimator::DetachPainter() {
    if (TGifPicture* image = image_) {
        std::lock_guard<std::recursive_mutex> lock(image->PainterLock);
        if (ownerReference_ && *ownerReference_ == this) *ownerReference_ = nullptr;
        auto& list = image->PainterList;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        image_ = nullptr;
    }
    ownerReference_ = nullptr;
    scene_ = ui::Bitmap();
    staging_ = ui::Bitmap();
    backgroundCopy_ = ui::Bitmap();
    if (stopEvent_) CloseHandle(stopEvent_);
    stopEvent_ = nullptr;
}

void TGifAnimator::KillThread() {
    // Only when the image's thread can no longer run the painter's calls: the
    // painter is left in memory (a call of it may still be queued).
    if (thread_) TerminateThread(thread_, 0);
    image_ = nullptr;
    ownerReference_ = nullptr;
}

// ---------------------------------------------------------------------------
// Body

void TGifAnimator::Synchronize(const std::function<void()>& call) {
    if (!threaded_ || !g_syncWindow || GetCurrentThreadId() == g_syncThread) {
        call();
        return;
    }
    SyncRequest request{&call, CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr};
    if (!request.done || !PostMessageW(g_syncWindow, kRunCall, 0, reinterpret_cast<LPARAM>(&request))) {
        if (request.done) CloseHandle(request.done);
        terminated_ = true;
        return;
    }
    WaitForSingleObject(request.done, INFINITE);
    CloseHandle(request.done);
    if (request.error) std::rethrow_exception(request.error);
}

void TGifAnimator::Fire(const PainterEvent& event) {
    if (!event) return;
    Synchronize([this, &event] { event(*this); });
}

uint32_t TGifAnimator::NowMs() const { return waitFunction_ ? virtualClock_ : GetTickCount(); }

void TGifAnimator::Wait(int delayUnits) {
    // Half of what the last step overran its planned wait is taken off this
    // one, so that slow painting does not slow the animation down.
    const int64_t overrun = int64_t(uint32_t(NowMs() - stepStart_)) - plannedMs_;
    const int64_t units = int64_t(delayUnits) * DelayUnitMs - overrun / 2;
    int64_t ms;
    bool endless = false;
    if (animationPercent_ < 1) {
        endless = threaded_;
        ms = int64_t(MaximumDelay) * DelayUnitMs;
    } else {
        ms = units * 100 / animationPercent_;
    }
    // A step that overran by more than the wait does not wait at all (a
    // negative wait taken as unsigned would be weeks long).
    ms = std::clamp<int64_t>(ms, 0, INT32_MAX);
    if (!threaded_) ms = std::max<int64_t>(ms, 1);
    plannedMs_ = ms;
    stepStart_ = NowMs();

    if (waitFunction_) {
        virtualClock_ += waitFunction_(endless ? INFINITE : uint32_t(ms));
        return;
    }
    if (threaded_) {
        if (stopEvent_ && WaitForSingleObject(stopEvent_, endless ? INFINITE : DWORD(ms)) == WAIT_OBJECT_0) {
            stepStart_ = NowMs();
            plannedMs_ = 0;
        } else if (!stopEvent_) {
            // Nothing to wake it: short sleeps, so that a stop request is seen.
            for (int64_t left = ms; left > 0 && !terminated_; left -= 100) Sleep(DWORD(std::min<int64_t>(100, left)));
        }
        return;
    }
    // In the caller's thread: short sleeps, the thread's messages in between.
    const uint32_t begin = GetTickCount();
    for (;;) {
        const uint32_t passed = GetTickCount() - begin;
        if (passed >= ms || terminated_) return;
        Sleep(DWORD(std::min<int64_t>(100, ms - passed)));
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam));
                terminated_ = true;
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void TGifAnimator::Execute() {
    try {
        Run();
    } catch (...) {
        captured_ = std::current_exception();
    }
    terminated_ = true;
}

void TGifAnimator::Run() {
    if (flags_ & CheckCanvas) rememberedDc_ = canvas_;
    const int endlessCount = -1;
    ActiveFrame = 0;
    Fire(Events.AnimationStarted);
    started_ = false;
    int loopCount = 1;
    int loopStart = 0;
    bool loopTaken = false;  // the count is taken once per run
    PreviousDisposal = 1;
    stepStart_ = NowMs();
    plannedMs_ = 0;
    int pending = threaded_ ? 0 : 1;
    while ((loopCount != 0 || (flags_ & RepeatForever)) && !terminated_) {
        ActiveFrame = loopStart;
        if (started_) Fire(Events.AnimationLooped);
        bool paintedInPass = false;
        while (!terminated_ && image_ && ActiveFrame >= 0 && ActiveFrame < image_->FrameCount()) {
            TGifFrame* frame = image_->Frame(ActiveFrame);
            if (frame->Empty()) {
                // Blocks without an image after them (a stray byte, blocks
                // before the trailer): nothing to show, the next frame is.
                ++ActiveFrame;
                continue;
            }
            paintedInPass = true;
            if (pending > 0) {
                Synchronize([frame] { frame->Bitmap(); });
                Wait(pending);
                if (terminated_) break;
            }
            Fire(Events.FramePainting);
            Disposal = 1;
            int delay = 0;
            for (int e = 0; e < frame->Extensions().ItemCount(); ++e) {
                TGifExtension* extension = frame->Extensions().ExtensionAt(e);
                if (extension->IsLoopExtension() && !loopTaken) {
                    loopTaken = true;
                    if (threaded_) {
                        const int count = static_cast<TGifLoopExtension*>(extension)->LoopCount;
                        loopCount = count == 0 || (flags_ & RepeatForever) ? endlessCount : count;
                    }
                    loopStart = ActiveFrame;
                } else if (extension->ExtensionLabel() == TGifGraphicControlExtension::kLabel) {
                    auto* control = static_cast<TGifGraphicControlExtension*>(extension);
                    Disposal = control->Disposal();
                    delay = control->Delay();
                }
            }
            Synchronize([this, frame] { PaintActiveFrame(frame); });
            started_ = true;
            PreviousDisposal = Disposal;
            pending = delay > 0 ? std::max(delay, MinimumDelay) : DefaultDelay;
            if (!threaded_) pending = std::min(pending, MaximumDelay);
            const int shown = ActiveFrame;
            Fire(Events.FramePainted);
            if (ActiveFrame == shown) ++ActiveFrame;
            if (!(flags_ & Animate)) break;
        }
        if (loopCount > 0) --loopCount;
        // A pass that found nothing to show would find nothing again.
        if (!paintedInPass || !((flags_ & Animate) && (flags_ & Repeat))) break;
    }
    ActiveFrame = -1;
    Fire(Events.AnimationEnded);
}

// ---------------------------------------------------------------------------
// Painting

void TGifAnimator::PaintActiveFrame(TGifFrame* frame) {
    if (!scene_.Empty()) {
        PaintFrame(frame);
        return;
    }
    if (rememberedDc_ && GetObjectType(rememberedDc_) == 0) {
        terminated_ = true;
        return;
    }
    frame->Draw(canvas_, rect_, (flags_ & TileArea) != 0, (flags_ & HonourTransparency) != 0);
}

void TGifAnimator::PaintFrame(TGifFrame* frame) {
    if ((flags_ & CheckCanvas) && rememberedDc_ && GetObjectType(rememberedDc_) == 0) {
        terminated_ = true;
        return;
    }
    const int width = rect_.right - rect_.left, height = rect_.bottom - rect_.top;
    const RECT local{0, 0, width, height};
    const bool tile = (flags_ & TileArea) != 0, transparent = (flags_ & HonourTransparency) != 0;
    HPALETTE palette = frame->Palette();
    if (!palette) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    HPALETTE oldPalette = SelectPalette(canvas_, palette, FALSE);
    RealizePalette(canvas_);
    auto toTarget = [&](const ui::Bitmap& from) {
        BitBlt(canvas_, rect_.left, rect_.top, width, height, from.Canvas(), 0, 0, SRCCOPY);
    };
    if ((flags_ & ClearOnRepeat) && ActiveFrame == 0) RestoreFrameArea(frame);
    switch (Disposal) {
    case 0:
    case 1:
    case 2:
        frame->Draw(scene_.Canvas(), local, tile, transparent);
        toTarget(scene_);
        if (Disposal == 2) RestoreFrameArea(frame);
        break;
    case 3:
        if (PreviousDisposal == 0 || PreviousDisposal == 1) {
            // The scene keeps the picture before this frame.
            frame->Draw(canvas_, rect_, tile, transparent);
        } else {
            BitBlt(staging_.Canvas(), 0, 0, width, height, scene_.Canvas(), 0, 0, SRCCOPY);
            frame->Draw(staging_.Canvas(), local, tile, transparent);
            toTarget(staging_);
        }
        break;
    default:
        break;
    }
    if (oldPalette) SelectPalette(canvas_, oldPalette, FALSE);
}

void TGifAnimator::RestoreFrameArea(TGifFrame* frame) {
    const int width = rect_.right - rect_.left, height = rect_.bottom - rect_.top;
    const RECT local{0, 0, width, height};
    std::vector<RECT> areas;
    if (flags_ & TileArea) {
        const int imageWidth = std::max(1, image_ ? image_->GetWidth() : 1);
        const int imageHeight = std::max(1, image_ ? image_->GetHeight() : 1);
        // Without transparency a frame that covers the whole image leaves
        // nothing to clear.
        if (!(flags_ & HonourTransparency) && frame->Left() == 0 && frame->Top() == 0 &&
            frame->Width() >= imageWidth && frame->Height() >= imageHeight)
            return;
        for (int y = 0; y < height; y += imageHeight)
            for (int x = 0; x < width; x += imageWidth)
                areas.push_back(RECT{x + frame->Left(), y + frame->Top(), x + frame->Left() + frame->Width(),
                                     y + frame->Top() + frame->Height()});
    } else {
        areas.push_back(frame->ScaleRect(local));
    }
    for (const RECT& r : areas) {
        if (flags_ & HonourTransparency) {
            if (!backgroundCopy_.Empty())
                BitBlt(scene_.Canvas(), r.left, r.top, r.right - r.left, r.bottom - r.top, backgroundCopy_.Canvas(),
                       r.left, r.top, SRCCOPY);
        } else {
            scene_.FillRect(r, backdrop_);
        }
    }
}

}  // namespace gif
