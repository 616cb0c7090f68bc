#include "engine/devices/pending_device.h"

namespace plinkora {

std::unique_ptr<MidiDevice> PendingDevice::Start(std::shared_ptr<Opening<MidiDevice>>& opening,
                                                 Open open, const std::function<void()>& settled) {
    opening = Opening<MidiDevice>::Start(std::move(open), settled);
    if (opening->WaitFor(kAnswerWait)) {
        return opening->Take();  // null when it failed
    }
    opening->WatchFor(kAnswerLimit, settled);
    return std::make_unique<PendingDevice>(opening);
}

PendingDevice::PendingDevice(std::shared_ptr<Opening<MidiDevice>> opening)
    : opening_(std::move(opening)) {
    waiting_.reserve(kMaxWaiting);
}

PendingDevice::~PendingDevice() {
    opening_->GiveUp();
    CloseInBackground(std::move(device_));
}

bool PendingDevice::Arrived() const noexcept {
    if (device_) {
        return true;
    }
    if (!opening_->Ended()) {
        return false;
    }
    device_ = opening_->Take();
    if (!device_) {
        return false;
    }
    for (const uint32_t word : waiting_) {
        static_cast<void>(device_->Send(word));
    }
    waiting_.clear();
    return true;
}

bool PendingDevice::Send(uint32_t word) noexcept {
    if (Arrived()) {
        return device_->Send(word);
    }
    if (opening_->Ended() || waiting_.size() == kMaxWaiting) {
        return false;  // failed, or waited on for too long
    }
    waiting_.push_back(word);
    return true;
}

bool PendingDevice::Lost() const noexcept {
    if (Arrived()) {
        return device_->Lost();
    }
    return opening_->Failed() || opening_->Overdue();
}

bool PendingDevice::Ready() const noexcept {
    return Arrived();
}

}  // namespace plinkora
