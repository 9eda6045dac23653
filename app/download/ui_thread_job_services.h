// Message boxes and job questions for the download worker: each is carried
// to the user-interface thread, where the real ones may be shown, and the
// worker waits for the answer. Once the gate is closed they answer at once,
// as a cancelled box or question would.
#pragma once

#include "download/resource_job_questions.h"
#include "ui/blocking_ui_call.h"
#include "ui/message_boxes.h"

class UiThreadMessageBoxes final : public MessageBoxes {
 public:
  UiThreadMessageBoxes(BlockingUiCalls& gate, MessageBoxes& boxes) : gate_(gate), boxes_(boxes) {}
  int Show(int stringId, unsigned style = MB_OK) override {
    MessageBoxes& boxes = boxes_;
    return gate_.Call<int>([&boxes, stringId, style] { return boxes.Show(stringId, style); })
        .value_or(IDCANCEL);
  }
  int ShowMessage(const std::string& text, unsigned style = MB_OK) override {
    MessageBoxes& boxes = boxes_;
    return gate_.Call<int>([&boxes, &text, style] { return boxes.ShowMessage(text, style); }).value_or(IDCANCEL);
  }

 private:
  BlockingUiCalls& gate_;
  MessageBoxes& boxes_;
};

class UiThreadJobQuestions final : public ResourceJobQuestions {
 public:
  UiThreadJobQuestions(BlockingUiCalls& gate, ResourceJobQuestions& questions)
      : gate_(gate), questions_(questions) {}
  std::optional<ConversionOptions> AskConversionOptions(const std::string& fileName) override {
    ResourceJobQuestions& questions = questions_;
    return gate_
        .Call<std::optional<ConversionOptions>>(
            [&questions, &fileName] { return questions.AskConversionOptions(fileName); })
        .value_or(std::nullopt);
  }
  std::optional<std::string> AskFormMacroName(ResourceNameKind kind, const std::string& fileName) override {
    ResourceJobQuestions& questions = questions_;
    return gate_
        .Call<std::optional<std::string>>(
            [&questions, kind, &fileName] { return questions.AskFormMacroName(kind, fileName); })
        .value_or(std::nullopt);
  }

 private:
  BlockingUiCalls& gate_;
  ResourceJobQuestions& questions_;
};
