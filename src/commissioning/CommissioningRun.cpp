#include "commissioning/CommissioningRun.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace commissioning {

CommissioningRun::CommissioningRun(const Settings& settings) : settings_(settings) {}

void CommissioningRun::start(std::int64_t nowMs) {
    results_ = {};
    running_ = true;
    finished_ = false;
    profileMatches_.reset();
    begin(Step::Unit, nowMs);
}

void CommissioningRun::begin(Step step, std::int64_t nowMs) {
    current_ = step;
    results_[index(step)] = {State::Running, nowMs, 0};
    switch (step) {
        case Step::Unit:
            break;
        case Step::Gsm:
            gsm_ = {};
            rssiSum_ = 0;
            signal_.clear();
            break;
        case Step::Relay:
            relayChanged_ = false;
            relayFound_.reset();
            relayDeadlineMs_ = nowMs + RelayTimeoutMs;
            if (latest_) {
                relayFound_ = latest_->relay();
                sends_.push_back(Send::ToggleRelay);
            }
            break;
        case Step::Input1:
        case Step::Input2:
        case Step::Input3:
            inputWasActive_ = false;
            break;
        case Step::Analog:
            analogAsked_ = false;
            analogMean_.reset();
            break;
        case Step::Sms:
            smsAsked_ = false;
            smsSentAtStart_.reset();
            break;
    }
}

void CommissioningRun::end(State state, std::int64_t nowMs) {
    StepResult& result = results_[index(current_)];
    result.state = state;
    result.endMs = nowMs;
    if (current_ == Step::Sms) {
        running_ = false;
        finished_ = true;
        return;
    }
    begin(static_cast<Step>(index(current_) + 1), nowMs);
}

void CommissioningRun::unitRead(bool read, std::optional<bool> matches, std::int64_t nowMs) {
    if (!running_ || current_ != Step::Unit) {
        return;
    }
    profileMatches_ = matches;
    end(read && matches.value_or(true) ? State::Passed : State::Failed, nowMs);
}

void CommissioningRun::sample(const monitor::StatusSample& s) {
    latest_ = s;
    if (!running_) {
        return;
    }
    switch (current_) {
        case Step::Unit:
            break;
        case Step::Gsm:
            gsmSample(s);
            break;
        case Step::Relay:
            relaySample(s);
            break;
        case Step::Input1:
        case Step::Input2:
        case Step::Input3:
            inputSample(s);
            break;
        case Step::Analog:
            if (analogAsked_ && s.timeMs >= analogFromMs_) {
                analogSum_ += s.analogValue1;
                ++analogCount_;
            }
            break;
        case Step::Sms:
            if (smsAsked_ && !smsSentAtStart_) {
                smsSentAtStart_ = s.smsSent;
            } else if (smsAsked_ && s.smsSent > *smsSentAtStart_) {
                end(State::Passed, s.timeMs);
            }
            break;
    }
}

void CommissioningRun::gsmSample(const monitor::StatusSample& s) {
    if (!signal_.empty()) {
        gsm_.msInState[networkIndex(signal_.back().network)] +=
            std::max<std::int64_t>(0, s.timeMs - signal_.back().timeMs);
    }
    if (gsm_.samples == 0) {
        gsm_.rssiMin = gsm_.rssiMax = s.rssi;
        gsm_.levelMin = gsm_.levelMax = s.signal;
    }
    ++gsm_.samples;
    gsm_.rssiMin = std::min<int>(gsm_.rssiMin, s.rssi);
    gsm_.rssiMax = std::max<int>(gsm_.rssiMax, s.rssi);
    gsm_.levelMin = std::min<int>(gsm_.levelMin, s.signal);
    gsm_.levelMax = std::max<int>(gsm_.levelMax, s.signal);
    rssiSum_ += s.rssi;
    gsm_.rssiMean = static_cast<double>(rssiSum_) / static_cast<double>(gsm_.samples);
    gsm_.registeredThroughout = gsm_.registeredThroughout && isRegistered(s.network);
    gsm_.rssiHeld = gsm_.rssiHeld && s.rssi >= settings_.rssiMin;
    signal_.push_back(s);
}

void CommissioningRun::relaySample(const monitor::StatusSample& s) {
    if (!relayFound_) {
        // No reply had come before the step: the first one tells the relay
        // as found.
        relayFound_ = s.relay();
        sends_.push_back(Send::ToggleRelay);
        relayDeadlineMs_ = s.timeMs + RelayTimeoutMs;
    } else if (!relayChanged_ && s.relay() != *relayFound_) {
        relayChanged_ = true;
        sends_.push_back(Send::ToggleRelay);
        relayDeadlineMs_ = s.timeMs + RelayTimeoutMs;
    } else if (relayChanged_ && s.relay() == *relayFound_) {
        end(State::Passed, s.timeMs);
    }
}

void CommissioningRun::inputSample(const monitor::StatusSample& s) {
    const bool active = s.input(input() - 1);
    if (!inputWasActive_ && active) {
        inputWasActive_ = true;
    } else if (inputWasActive_ && !active) {
        end(State::Passed, s.timeMs);
    }
}

void CommissioningRun::tick(std::int64_t nowMs) {
    if (!running_) {
        return;
    }
    const std::int64_t since = nowMs - results_[index(current_)].startMs;
    switch (current_) {
        case Step::Unit:
            break;
        case Step::Gsm:
            if (since >= settings_.signalMs) {
                if (!signal_.empty()) {
                    gsm_.msInState[networkIndex(signal_.back().network)] +=
                        std::max<std::int64_t>(0, nowMs - signal_.back().timeMs);
                }
                const bool passed = gsm_.samples > 0 && gsm_.registeredThroughout && gsm_.rssiHeld;
                end(passed ? State::Passed : State::Failed, nowMs);
            }
            break;
        case Step::Relay:
            if (nowMs > relayDeadlineMs_) {
                end(State::Failed, nowMs);
            }
            break;
        case Step::Input1:
        case Step::Input2:
        case Step::Input3:
            if (since > InputTimeoutMs) {
                end(State::Failed, nowMs);
            }
            break;
        case Step::Analog:
            if (analogAsked_ && nowMs - analogFromMs_ >= AnalogMeanMs) {
                if (analogCount_ == 0) {
                    end(State::Failed, nowMs);
                    break;
                }
                const double mean =
                    static_cast<double>(analogSum_) / static_cast<double>(analogCount_);
                analogMean_ = static_cast<std::int32_t>(std::llround(mean));
                const bool within = std::llabs(static_cast<long long>(*analogMean_) - expected_) <=
                                    static_cast<long long>(tolerance_);
                end(within ? State::Passed : State::Failed, nowMs);
            }
            break;
        case Step::Sms:
            if (smsAsked_ && nowMs - smsFromMs_ > SmsTimeoutMs) {
                end(State::Failed, nowMs);
            }
            break;
    }
}

void CommissioningRun::analogExpected(std::int32_t expected, std::int32_t tolerance,
                                      std::int64_t nowMs) {
    if (!running_ || current_ != Step::Analog || analogAsked_) {
        return;
    }
    analogAsked_ = true;
    analogFromMs_ = nowMs;
    expected_ = expected;
    tolerance_ = tolerance < 0 ? -tolerance : tolerance;
    analogSum_ = 0;
    analogCount_ = 0;
}

void CommissioningRun::smsConsent(bool send, std::int64_t nowMs) {
    if (!running_ || current_ != Step::Sms || smsAsked_) {
        return;
    }
    if (!send) {
        end(State::Skipped, nowMs);
        return;
    }
    smsAsked_ = true;
    smsFromMs_ = nowMs;
    if (latest_) {
        smsSentAtStart_ = latest_->smsSent;
    }
    sends_.push_back(Send::TestSms);
}

void CommissioningRun::skip(std::int64_t nowMs) {
    if (running_) {
        end(State::Skipped, nowMs);
    }
}

void CommissioningRun::stop(std::int64_t nowMs) {
    if (!running_) {
        return;
    }
    results_[index(current_)] = {State::NotRun, results_[index(current_)].startMs, nowMs};
    for (StepResult& result : results_) {
        if (result.state == State::Waiting) {
            result.state = State::NotRun;
        }
    }
    running_ = false;
    finished_ = true;
}

Need CommissioningRun::need() const {
    if (!running_) {
        return finished_ ? Need::Done : Need::Nothing;
    }
    switch (current_) {
        case Step::Unit:
            return Need::UnitRead;
        case Step::Input1:
        case Step::Input2:
        case Step::Input3:
            return Need::ActivateInput;
        case Step::Analog:
            return analogAsked_ ? Need::Nothing : Need::ExpectedAnalog;
        case Step::Sms:
            return smsAsked_ ? Need::Nothing : Need::SmsConsent;
        case Step::Gsm:
        case Step::Relay:
            break;
    }
    return Need::Nothing;
}

int CommissioningRun::input() const {
    switch (current_) {
        case Step::Input1:
            return 1;
        case Step::Input2:
            return 2;
        case Step::Input3:
            return 3;
        default:
            return 0;
    }
}

std::vector<Send> CommissioningRun::takeSends() {
    return std::exchange(sends_, {});
}

bool CommissioningRun::verdict() const {
    return finished_ && std::all_of(results_.begin(), results_.end(), [](const StepResult& r) {
               return r.state == State::Passed || r.state == State::Skipped;
           });
}

}  // namespace commissioning
