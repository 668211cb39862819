#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/command-executor.h"
#include "device.h"
#include "transport/connection.h"

namespace testsupport {

// A scripted scale: each write is answered with the chunks queued for it (or those of the responder),
// and ReadData hands them out one at a time until the validator is satisfied. Running out of chunks
// stands for the deadline: the read returns what it has, as the real connection does.
class FakeConnection : public driver::Connection {
public:
    using Chunks = std::vector<driver::ByteVector>;

    void Answer(Chunks chunks) { answers_.push_back(std::move(chunks)); }
    void Answer(std::string_view text) { Answer(Chunks{driver::ToBytes(text)}); }
    void Silence() { Answer(Chunks{}); }
    // Answers every write for which nothing is queued.
    void SetResponder(std::function<Chunks(const driver::ByteVector&)> responder) { responder_ = std::move(responder); }
    // Bytes the scale sends without being asked.
    void Stream(const Chunks& chunks) { pending_.insert(pending_.end(), chunks.begin(), chunks.end()); }
    void FailNextWrite(driver::ErrorCase err) { writeError_ = err; }
    void FailReads(driver::ErrorCase err) { readError_ = err; }

    const std::vector<driver::ByteVector>& writes() const { return writes_; }
    std::vector<std::string> writtenTexts() const {
        std::vector<std::string> texts;
        for (const auto& write : writes_) texts.push_back(driver::ToText(write));
        return texts;
    }
    std::vector<driver::TransferState> states;

    void Open(driver::ErrorCase&) override { open_ = true; }
    bool IsOpen() override { return open_; }
    void Close() override { open_ = false; }
    void SetDefaultOptions(driver::ErrorCase&) override {}
    bool IsOptionSupported(driver::Option) override { return true; }
    void SetOption(driver::Option option, const std::string& value, driver::ErrorCase&) override {
        options_[option] = value;
    }
    std::string GetOption(driver::Option option, driver::ErrorCase&) override { return options_[option]; }
    void DiscardInput() override { ++discards; }
    int discards = 0;
    driver::TransferState GetState() override { return states.empty() ? driver::TransferState::Idle : states.back(); }
    void SetState(driver::TransferState state) override { states.push_back(state); }

    void WriteData(const driver::ByteVector& data, driver::ErrorCase& err) override {
        writes_.push_back(data);
        if (writeError_ != driver::ErrorCase::Correct) {
            err = std::exchange(writeError_, driver::ErrorCase::Correct);
            return;
        }
        Chunks answer;
        if (!answers_.empty()) {
            answer = std::move(answers_.front());
            answers_.pop_front();
        } else if (responder_) {
            answer = responder_(data);
        }
        Stream(answer);
    }

    void ReadData(driver::ByteVector& out, const driver::ResponseValidator& isComplete,
                  driver::ErrorCase& err) override {
        while (!isComplete(out) && !pending_.empty()) {
            out.insert(out.end(), pending_.front().begin(), pending_.front().end());
            pending_.pop_front();
        }
        if (readError_ != driver::ErrorCase::Correct) err = readError_;
    }

private:
    bool open_ = true;
    std::deque<Chunks> answers_;
    std::deque<driver::ByteVector> pending_;
    std::function<Chunks(const driver::ByteVector&)> responder_;
    std::vector<driver::ByteVector> writes_;
    std::map<driver::Option, std::string> options_;
    driver::ErrorCase writeError_ = driver::ErrorCase::Correct;
    driver::ErrorCase readError_ = driver::ErrorCase::Correct;
};

// A device talking to a FakeConnection, by default with protocol and model "auto".
struct FakeScale {
    explicit FakeScale(const std::string& protocol = "auto", const std::string& model = "auto",
                       const std::string& scaleModel = "") {
        Configure(protocol, model, scaleModel);
        device.UseConnection(port);
    }
    void Configure(const std::string& protocol, const std::string& model, const std::string& scaleModel) {
        device.Configure({"Serial Port", "/dev/null", "9600", model, protocol});
        device.SetScaleModel(scaleModel);
    }
    // As a caller runs it: mapped to the protocol's command and checked first.
    driver::ErrorCase Run(driver::Command command) {
        auto err = driver::ErrorCase::Correct;
        device.ExecuteCommand(command, err);
        return err;
    }
    // Every output value a command stored.
    std::map<driver::ParamType, std::string> Outputs() {
        std::map<driver::ParamType, std::string> outputs;
        for (int type = 1; type <= static_cast<int>(driver::ParamType::Cell); ++type) {
            if (auto value = Output(static_cast<driver::ParamType>(type))) outputs[driver::ParamType(type)] = *value;
        }
        return outputs;
    }
    // Runs the factory's executor directly, to see the map it returns (the fuzz entries use it).
    driver::ResultMap Execute(driver::Command command, driver::ErrorCase& err) {
        err = driver::ErrorCase::Correct;
        auto executor = driver::CreateCommandExecutor(command, err);
        return executor->ExecuteCommand(device, err);
    }
    void Input(driver::ParamType type, const std::string& value) {
        auto err = driver::ErrorCase::Correct;
        device.SetParam(type, value, err);
    }
    // The stored output value, or nothing when no command stored one.
    std::optional<std::string> Output(driver::ParamType type) {
        auto err = driver::ErrorCase::Correct;
        std::string value = device.GetParam(type, err);
        if (err != driver::ErrorCase::Correct) return std::nullopt;
        return value;
    }

    std::shared_ptr<FakeConnection> port = std::make_shared<FakeConnection>();
    driver::Device device;
};

}  // namespace testsupport
