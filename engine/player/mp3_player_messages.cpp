// TMP3Player's message queue: what the worker threads report, handled on the owning thread,
// and the events it raises.
#include <cstdio>

#include "base/application_error.h"
#include "base/mp_messages.h"
#include "base/mp_simple_event.h"
#include "player/mp3_player.h"
#include "player/player_message_queue.h"
#include "stream/mp_stream_reader.h"

void TMP3Player::SetMessageNotifier(std::function<void()> notifier) {
  window_->SetNotifier(std::move(notifier));
}

void TMP3Player::PostOnce(uint32_t message) { window_->PostOnce(message); }

void TMP3Player::PostAlways(uint32_t message) {
  window_->PostAlways(TMPPlayerMessage{message, nullptr, nullptr});
}

bool TMP3Player::WaitForMessages(int timeoutMs) { return window_->Wait(timeoutMs); }

// Handlers may post, stop, or pump again (a modal error box does); each message is taken
// off the queue before it is handled. Errors end up in the application's error display,
// as any error that reaches a message loop.
void TMP3Player::ProcessMessages() {
  TMPPlayerMessage message;
  while (window_->Take(message)) {
    try {
      HandleMessage(message);
    } catch (const std::exception& error) {
      ShowApplicationError(error);
    }
  }
}

void TMP3Player::HandleMessage(TMPPlayerMessage& message) {
  switch (message.Msg) {
    case MPM_POSITION:
      window_->RemoveAll(MPM_POSITION);
      CompleteSwitch(false);
      DoChangePosition();
      break;
    case MPM_TRACKCHANGED:
      window_->RemoveAll(MPM_TRACKCHANGED);
      CompleteSwitch(false);
      break;
    case MPM_THREADERROR:
      HandleThreadError(message);
      break;
    case MPM_ENDOFDATA:
      if (status_ == mpsStopped) break;  // stopped meanwhile
      CompleteSwitch(true);              // a next track that ended before its switch was reported
      endReason_ = merEndOfData;
      if (streamOptions_ & msoSeekable)
        Stop();
      else
        Close();
      break;
    case MPM_STATUS:
      window_->RemoveAll(MPM_STATUS);
      DoChangeStatus();
      break;
    case MPM_ENDPLAY:
      window_->RemoveAll(MPM_ENDPLAY);
      DoEndPlay(*this);
      break;
    case MPM_EQUALIZER:
      window_->RemoveAll(MPM_EQUALIZER);
      if (IsOpen()) UpdateEqualizer();
      break;
    default:
      break;
  }
}

// The worker waits until the error has been shown; then playback stops.
void TMP3Player::HandleThreadError(TMPPlayerMessage& message) {
  struct Release {
    TMPSimpleEvent* event;
    ~Release() {
      if (event != nullptr) event->SetEvent();
    }
  };
  {
    Release release{message.Event};
    if (message.Error) {
      try {
        std::rethrow_exception(message.Error);
      } catch (const std::exception& error) {
        ShowApplicationError(error);
      } catch (...) {
      }
    }
  }
  if (status_ == mpsStopped) return;
  endReason_ = merError;
  Stop();
}

// Runs on a worker thread inside its exception handler.
void TMP3Player::ThreadException(const std::exception& error, bool& handled) {
  TMPSimpleEvent shown;
  handled = true;
  if (window_->PostAlways(TMPPlayerMessage{MPM_THREADERROR, &shown, std::current_exception()})) {
    shown.WaitFor(INFINITE);
  } else {
    // Nobody left to show it to.
    std::fprintf(stderr, "VARO: %s\n", error.what());
  }
}

void TMP3Player::PositionTick() { PostAlways(MPM_POSITION); }

void TMP3Player::DoChangeStatus() {
  if (!destroying_ && OnChangeStatus) OnChangeStatus(*this);
}

void TMP3Player::DoChangePosition() {
  if (!destroying_ && OnChangePosition) OnChangePosition(*this);
}

void TMP3Player::DoEndPlay(TMP3Player& sender) {
  if (OnEndPlay) OnEndPlay(sender, endReason_);
  endReason_ = merStopped;
}
