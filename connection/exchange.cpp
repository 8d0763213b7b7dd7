#include "connection/exchange.h"

namespace kravent {

bool Exchange::Trigger() {
    if (answerOutstanding_) return false;
    answerOutstanding_ = true;
    return true;
}

bool Exchange::ReleaseToken(SenderRole who) {
    if (token_ != who || who == SenderRole::None) return false;
    token_ = SenderRole::None;
    return true;
}

void Exchange::Load(const PacketSet& packets) {
    packetCount_ = packets.count;
    packetsSent_ = 0;
    for (std::size_t k = 0; k < kPacketBufferCount; ++k) asked_[k] = packets.asked[k];
}

std::uint32_t Exchange::Open() {
    if (++count_ == 0) ++count_;
    open_ = count_;
    claimed_ = 0;
    return open_;
}

std::int32_t Exchange::PacketGoesOut(std::uint64_t nowMs) {
    answerDue_ = nowMs + kAnswerLimitMs;
    return packetsSent_++;
}

bool Exchange::EndUnanswered(std::uint32_t number) {
    if (number == 0 || open_ != number || claimed_ == number) return false;
    open_ = 0;
    return true;
}

Exchange::Listening Exchange::Listen() {
    Listening heard;
    heard.exchange = open_;
    if (open_ == 0 || claimed_ == open_) {
        heard.exchange = 0;
        return heard;
    }
    heard.newExchange = open_ != lastHeard_;
    lastHeard_ = open_;
    if (packetsSent_ >= 1 && packetsSent_ <= static_cast<std::int32_t>(kPacketBufferCount))
        heard.asked = asked_[static_cast<std::size_t>(packetsSent_ - 1)];
    return heard;
}

Exchange::Next Exchange::Answered(const Listening& heard) {
    if (heard.exchange == 0 || heard.exchange != open_ || claimed_ == open_) return Next::Nothing;
    if (PacketsRemain()) return Next::NextPacket;
    // Before the host is called, so that it may trigger the next send from its callback.
    claimed_ = open_;
    answerOutstanding_ = false;
    return Next::Deliver;
}

bool Exchange::Delivered(std::uint32_t number) {
    if (number == 0 || open_ != number) return false;
    open_ = 0;
    claimed_ = 0;
    return true;
}

}  // namespace kravent
