// The GTK windows as built, on a real display (run under with_xvfb.sh).
#include "platform/dialogs_gtk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarnel {
namespace {

class DialogsGtkTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display"; }
  void TearDown() override {
    if (window != nullptr) gtk_widget_destroy(window);
  }
  GtkWidget* window = nullptr;
};

std::string StringProperty(gpointer object, const char* name) {
  gchar* value = nullptr;
  g_object_get(object, name, &value, nullptr);
  std::string text = value != nullptr ? value : "";
  g_free(value);
  return text;
}

// The labels of the buttons beside the dialog's OK button, itself included.
std::vector<std::string> ButtonLabels(GtkWidget* dialog) {
  std::vector<std::string> labels;
  GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  if (ok == nullptr) return labels;
  GList* children = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(ok)));
  for (GList* child = children; child != nullptr; child = child->next) {
    if (GTK_IS_BUTTON(child->data)) labels.push_back(gtk_button_get_label(GTK_BUTTON(child->data)));
  }
  g_list_free(children);
  return labels;
}

TEST_F(DialogsGtkTest, MessageBoxHasTextTitleAndOneOk) {
  struct Case { std::u16string text, title; std::string want_text, want_title; };
  const Case cases[] = {
      {u"template.datが見つかりません", u"Quarnel", "template.datが見つかりません", "Quarnel"},
      {u"<b>a&b</b>.datが正しく読みこめません", u"エラー",  // no markup
       "<b>a&b</b>.datが正しく読みこめません", "エラー"},
      // A file name byte that is not UTF-8 shows as a replacement character.
      {std::u16string(u"x") + char16_t{0xDCFF} + u".dat", u"エラー", "x\uFFFD.dat", "エラー"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want_text);
    window = NewMessageBoxWindow(c.text, c.title);
    EXPECT_EQ(StringProperty(window, "text"), c.want_text);
    EXPECT_EQ(StringProperty(window, "secondary-text"), "");
    EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(window)), c.want_title);
    GtkMessageType type;
    g_object_get(window, "message-type", &type, nullptr);
    EXPECT_EQ(type, GTK_MESSAGE_OTHER);  // no icon
    EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(window)));
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(window)), nullptr);
    EXPECT_EQ(ButtonLabels(window), std::vector<std::string>{"_OK"});
    gtk_widget_destroy(window);
    window = nullptr;
  }
}

TEST_F(DialogsGtkTest, ChooserOpensOneFileThroughTheSingleFilter) {
  window = NewFileChooserWindow({u"ステージデータ", u"ステージデータ(*.dat)", u"*.dat"});
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(window);
  EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(window)), std::string("ステージデータ"));
  EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(window)));
  EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(window)), nullptr);
  EXPECT_EQ(gtk_file_chooser_get_action(chooser), GTK_FILE_CHOOSER_ACTION_OPEN);
  EXPECT_FALSE(gtk_file_chooser_get_select_multiple(chooser));
  EXPECT_TRUE(gtk_file_chooser_get_local_only(chooser));

  GSList* filters = gtk_file_chooser_list_filters(chooser);
  ASSERT_EQ(g_slist_length(filters), 1u);
  GtkFileFilter* filter = GTK_FILE_FILTER(filters->data);
  g_slist_free(filters);
  EXPECT_EQ(gtk_file_chooser_get_filter(chooser), filter);
  EXPECT_EQ(gtk_file_filter_get_name(filter), std::string("ステージデータ(*.dat)"));

  struct Case { const char* name; bool shown; };
  const Case cases[] = {
      {"stages.dat", true}, {"STAGES.DAT", true}, {"ステージ.Dat", true},
      {".dat", true},       {"stages.dat.bak", false}, {"stages.txt", false},
      {"dat", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GtkFileFilterInfo info{};
    info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
    info.display_name = c.name;
    EXPECT_EQ(gtk_file_filter_filter(filter, &info) == TRUE, c.shown);
  }
}

}  // namespace
}  // namespace quarnel
