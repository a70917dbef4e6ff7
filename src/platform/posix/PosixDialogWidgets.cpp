// GTK 3 widgets of a dialog: layout from the template in dialog units, control behaviour and input.
#include <cmath>
#include <string>

#include "platform/Messages.h"
#include "platform/common/IconResources.h"
#include "platform/posix/PosixDialogHost.h"

using namespace plat::codes;

namespace plat::posix {

namespace {

constexpr std::uint32_t kSsTypeMask = 0x1Fu, kSsCenter = 0x1u, kSsRight = 0x2u, kSsSunken = 0x1000u;
constexpr int kIconSize = 32;

// "&Credits..." -> "_Credits..." (GTK mnemonic), "&&" -> "&", "_" -> "__".
std::string MnemonicLabel(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] == '&') {
                out += '&';
            } else {
                out += '_';
                out += text[i] == '_' ? std::string("__") : std::string(1, text[i]);
            }
        } else if (ch == '_') {
            out += "__";
        } else {
            out += ch;
        }
    }
    return out;
}

// Statics and group boxes show the prefix character only as an underline on Windows; here the
// text is shown without it.
std::string PlainLabel(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

// An edit control breaks lines only on CR LF; GTK wants bare LF.
std::string EditText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

GdkPixbuf* IconPixbuf(int iconId) {
    IconImage image;
    if (iconId <= 0 || !FindIconImage(&plat::FindResource, static_cast<std::uint16_t>(iconId), kIconSize, &image)) {
        return nullptr;
    }
    std::int32_t w = 0, h = 0;
    std::vector<std::uint32_t> argb;
    if (!DecodeIconBitmap(image.bytes.data, image.bytes.size, &w, &h, &argb) || w <= 0 || h <= 0) return nullptr;
    GdkPixbuf* pix = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h);
    if (pix == nullptr) return nullptr;
    guchar* rows = gdk_pixbuf_get_pixels(pix);
    const int stride = gdk_pixbuf_get_rowstride(pix);
    for (std::int32_t y = 0; y < h; ++y) {
        guchar* p = rows + static_cast<std::ptrdiff_t>(y) * stride;
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint32_t v =
                argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
            p[0] = static_cast<guchar>(v >> 16);
            p[1] = static_cast<guchar>(v >> 8);
            p[2] = static_cast<guchar>(v);
            p[3] = static_cast<guchar>(v >> 24);
            p += 4;
        }
    }
    return pix;
}

DialogControl& Ctl(ControlRef* ref) { return ref->run->model.controls[ref->index]; }

void OnButtonClicked(GtkButton*, gpointer data) {
    auto* ref = static_cast<ControlRef*>(data);
    if (ref->run->syncing) return;
    ref->run->model.Click(Ctl(ref).id);
}

void OnCheckToggled(GtkToggleButton* button, gpointer data) {
    auto* ref = static_cast<ControlRef*>(data);
    GtkDialogRun& run = *ref->run;
    if (run.syncing) return;
    DialogControl& c = Ctl(ref);
    // The model toggles and notifies, as a click on a Win32 auto check box does; a refused
    // click (disabled box or dialog) puts the widget back.
    const int before = c.check;
    c.check = gtk_toggle_button_get_active(button) ? 0 : 1;
    if (!run.model.Click(c.id)) {
        c.check = before;
        SyncControlWidget(run, c);
    }
}

std::uint32_t TrackbarCode(GtkScrollType scroll) {
    switch (scroll) {
        case GTK_SCROLL_STEP_BACKWARD:
        case GTK_SCROLL_STEP_LEFT:
        case GTK_SCROLL_STEP_UP: return TB_LINEUP;
        case GTK_SCROLL_STEP_FORWARD:
        case GTK_SCROLL_STEP_RIGHT:
        case GTK_SCROLL_STEP_DOWN: return TB_LINEDOWN;
        case GTK_SCROLL_PAGE_BACKWARD:
        case GTK_SCROLL_PAGE_LEFT:
        case GTK_SCROLL_PAGE_UP: return TB_PAGEUP;
        case GTK_SCROLL_PAGE_FORWARD:
        case GTK_SCROLL_PAGE_RIGHT:
        case GTK_SCROLL_PAGE_DOWN: return TB_PAGEDOWN;
        case GTK_SCROLL_START: return TB_TOP;
        case GTK_SCROLL_END: return TB_BOTTOM;
        default: return TB_THUMBTRACK;
    }
}

// Every move of the thumb becomes the trackbar's WM_HSCROLL; the host keeps whole positions.
gboolean OnScaleChangeValue(GtkRange*, GtkScrollType scroll, gdouble value, gpointer data) {
    auto* ref = static_cast<ControlRef*>(data);
    GtkDialogRun& run = *ref->run;
    if (run.syncing) return TRUE;
    DialogControl& c = Ctl(ref);
    const std::uint32_t code = TrackbarCode(scroll);
    if (code != TB_THUMBTRACK) {
        run.model.MoveTrackbar(c.id, code);
        return TRUE;
    }
    const int target = DialogModel::TrackbarTarget(c, TB_THUMBTRACK, static_cast<int>(std::lround(value)));
    run.dragging = true;
    if (target != c.pos && run.model.CanTakeInput()) {
        c.pos = target;
        SyncControlWidget(run, c);
        run.model.Send(WM_HSCROLL, (TB_THUMBTRACK & 0xFFFFu) | ((static_cast<std::uint32_t>(target) & 0xFFFFu) << 16),
                       static_cast<std::intptr_t>(c.hwnd));
    }
    return TRUE;
}

gboolean OnScaleReleased(GtkWidget*, GdkEventButton*, gpointer data) {
    auto* ref = static_cast<ControlRef*>(data);
    GtkDialogRun& run = *ref->run;
    if (!run.dragging) return FALSE;
    run.dragging = false;
    run.model.MoveTrackbar(Ctl(ref).id, TB_THUMBPOSITION, Ctl(ref).pos);
    return FALSE;
}

GtkWidget* MakeLabel(const DialogControl& c, float xalign) {
    GtkWidget* label = gtk_label_new(PlainLabel(c.text).c_str());
    gtk_label_set_xalign(GTK_LABEL(label), xalign);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_justify(GTK_LABEL(label), xalign == 0.5f ? GTK_JUSTIFY_CENTER
                                                           : (xalign == 1.0f ? GTK_JUSTIFY_RIGHT : GTK_JUSTIFY_LEFT));
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    return label;
}

ControlRef* NewRef(GtkDialogRun& run, std::size_t index) {
    run.refs.push_back(std::make_unique<ControlRef>(ControlRef{&run, index}));
    return run.refs.back().get();
}

// One control: the widget that holds its state, and the one placed on the client area.
GtkWidget* MakeControl(GtkDialogRun& run, std::size_t index, GtkWidget** outer) {
    DialogControl& c = run.model.controls[index];
    GtkWidget* w = nullptr;
    *outer = nullptr;
    switch (c.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            w = gtk_button_new_with_mnemonic(MnemonicLabel(c.text).c_str());
            g_signal_connect(w, "clicked", G_CALLBACK(OnButtonClicked), NewRef(run, index));
            if (c.kind == ControlKind::DefPushButton) {
                gtk_widget_set_can_default(w, TRUE);
                gtk_window_set_default(GTK_WINDOW(run.window), w);
            }
            break;
        case ControlKind::CheckBox:
            w = gtk_check_button_new_with_mnemonic(MnemonicLabel(c.text).c_str());
            g_signal_connect(w, "toggled", G_CALLBACK(OnCheckToggled), NewRef(run, index));
            break;
        case ControlKind::Trackbar: {
            w = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, c.rangeMin, c.rangeMax, 1.0);
            gtk_scale_set_draw_value(GTK_SCALE(w), FALSE);
            gtk_range_set_round_digits(GTK_RANGE(w), 0);
            ControlRef* ref = NewRef(run, index);
            g_signal_connect(w, "change-value", G_CALLBACK(OnScaleChangeValue), ref);
            g_signal_connect(w, "button-release-event", G_CALLBACK(OnScaleReleased), ref);
            break;
        }
        case ControlKind::GroupBox: w = gtk_frame_new(PlainLabel(c.text).c_str()); break;
        case ControlKind::IconStatic: {
            GdkPixbuf* pix = IconPixbuf(c.iconId);
            w = pix != nullptr ? gtk_image_new_from_pixbuf(pix) : gtk_image_new();
            if (pix != nullptr) g_object_unref(pix);
            gtk_widget_set_halign(w, GTK_ALIGN_START);
            gtk_widget_set_valign(w, GTK_ALIGN_START);
            break;
        }
        case ControlKind::Edit: {
            // The saver's one edit box is read-only: its text is what the program sets.
            w = gtk_text_view_new();
            gtk_text_view_set_editable(GTK_TEXT_VIEW(w), FALSE);
            gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(w), FALSE);  // Tab moves on, as in a dialog
            gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(w), FALSE);
            gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(w), GTK_WRAP_WORD);
            gtk_text_view_set_left_margin(GTK_TEXT_VIEW(w), 2);
            gtk_text_view_set_right_margin(GTK_TEXT_VIEW(w), 2);
            GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
            gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
            gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                           (c.style & WS_VSCROLL) != 0 ? GTK_POLICY_ALWAYS : GTK_POLICY_NEVER);
            gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(scroller), FALSE);
            gtk_container_add(GTK_CONTAINER(scroller), w);
            *outer = scroller;
            break;
        }
        case ControlKind::Static:
        default: {
            const std::uint32_t type = c.style & kSsTypeMask;
            const float xalign = type == kSsCenter ? 0.5f : (type == kSsRight ? 1.0f : 0.0f);
            w = MakeLabel(c, xalign);
            if ((c.style & kSsSunken) != 0) {
                GtkWidget* frame = gtk_frame_new(nullptr);
                gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
                gtk_container_add(GTK_CONTAINER(frame), w);
                *outer = frame;
            }
            break;
        }
    }
    if (*outer == nullptr) *outer = w;
    if ((c.style & WS_TABSTOP) == 0 && c.kind != ControlKind::Edit) gtk_widget_set_can_focus(w, FALSE);
    return w;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    // The close box (or the window manager's close) is the system menu's Close command.
    static_cast<GtkDialogRun*>(data)->model.CloseBox();
    return TRUE;
}

int ControlIndexOf(GtkDialogRun& run, GtkWidget* widget) {
    for (std::size_t i = 0; i < run.widgets.size(); ++i) {
        if (run.widgets[i] == widget) return static_cast<int>(i);
    }
    return -1;
}

gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data) {
    GtkDialogRun& run = *static_cast<GtkDialogRun*>(data);
    const guint mods = event->state & gtk_accelerator_get_default_mod_mask();
    switch (event->keyval) {
        case GDK_KEY_Escape:
            if (mods == 0) {
                run.model.PressEscape();
                return TRUE;
            }
            break;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter: {
            if (mods != 0) break;
            // As in a Win32 dialog: a focused push button takes Enter, else the default button.
            const int i = ControlIndexOf(run, gtk_window_get_focus(GTK_WINDOW(window)));
            const bool onButton =
                i >= 0 && (run.model.controls[static_cast<std::size_t>(i)].kind == ControlKind::PushButton ||
                           run.model.controls[static_cast<std::size_t>(i)].kind == ControlKind::DefPushButton);
            if (onButton) {
                run.model.Click(run.model.controls[static_cast<std::size_t>(i)].id);
            } else {
                run.model.PressEnter();
            }
            return TRUE;
        }
        case GDK_KEY_space:
            if (mods == GDK_MOD1_MASK) {
                PopupSystemMenu(run, nullptr);
                return TRUE;
            }
            break;
        case GDK_KEY_F4:
            if (mods == GDK_MOD1_MASK) {
                run.model.CloseBox();
                return TRUE;
            }
            break;
        case GDK_KEY_F10:
            if (mods == GDK_SHIFT_MASK) {
                PopupSystemMenu(run, nullptr);
                return TRUE;
            }
            break;
        case GDK_KEY_Menu: PopupSystemMenu(run, nullptr); return TRUE;
        default: break;
    }
    return FALSE;
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
    if (event->type != GDK_BUTTON_PRESS || event->button != 3) return FALSE;
    PopupSystemMenu(*static_cast<GtkDialogRun*>(data), reinterpret_cast<GdkEvent*>(event));
    return TRUE;
}

gboolean OnConfigure(GtkWidget* window, GdkEventConfigure*, gpointer data) {
    auto* run = static_cast<GtkDialogRun*>(data);
    gint x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    run->origin = Point{x, y};
    return FALSE;
}

void OnMenuItem(GtkMenuItem* item, gpointer data) {
    auto* run = static_cast<GtkDialogRun*>(data);
    const auto id =
        static_cast<std::uintptr_t>(reinterpret_cast<std::uintptr_t>(g_object_get_data(G_OBJECT(item), "mg-command")));
    run->model.ChooseMenuItem(id);
}

}  // namespace

void PopupSystemMenu(GtkDialogRun& run, const GdkEvent* event) {
    if (!run.model.CanTakeInput()) return;
    GtkWidget* menu = gtk_menu_new();
    // Our own reference: the menu outlives the dialog when its Close item ends the dialog.
    g_object_ref_sink(menu);
    for (const MenuEntry& e : run.model.systemMenu) {
        // Moving belongs to the window manager on this desktop; the title bar drags the dialog.
        if (e.id == SC_MOVE) continue;
        GtkWidget* item = (e.flags & MF_SEPARATOR) != 0
                              ? gtk_separator_menu_item_new()
                              : gtk_menu_item_new_with_mnemonic(MnemonicLabel(e.text).c_str());
        if ((e.flags & MF_SEPARATOR) == 0) {
            g_object_set_data(G_OBJECT(item), "mg-command", reinterpret_cast<gpointer>(e.id));
            g_signal_connect(item, "activate", G_CALLBACK(OnMenuItem), &run);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    }
    gtk_widget_show_all(menu);
    gtk_menu_attach_to_widget(GTK_MENU(menu), run.window, nullptr);
    g_signal_connect(menu, "deactivate", G_CALLBACK(+[](GtkMenuShell* m, gpointer) {
                         // Destroyed after the activated item's handler has run.
                         g_idle_add(
                             +[](gpointer w) -> gboolean {
                                 gtk_widget_destroy(GTK_WIDGET(w));
                                 g_object_unref(w);
                                 return G_SOURCE_REMOVE;
                             },
                             m);
                     }),
                     nullptr);
    if (event != nullptr) {
        gtk_menu_popup_at_pointer(GTK_MENU(menu), event);
    } else {
        gtk_menu_popup_at_widget(GTK_MENU(menu), run.fixed, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, nullptr);
    }
    gtk_menu_shell_select_first(GTK_MENU_SHELL(menu), FALSE);
}

void SyncControlWidget(GtkDialogRun& run, const DialogControl& c) {
    const std::size_t index = static_cast<std::size_t>(&c - run.model.controls.data());
    if (index >= run.widgets.size() || run.widgets[index] == nullptr) return;
    GtkWidget* w = run.widgets[index];
    const bool wasSyncing = run.syncing;
    run.syncing = true;
    switch (c.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: gtk_button_set_label(GTK_BUTTON(w), MnemonicLabel(c.text).c_str()); break;
        case ControlKind::CheckBox:
            gtk_button_set_label(GTK_BUTTON(w), MnemonicLabel(c.text).c_str());
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), c.check != 0);
            break;
        case ControlKind::Trackbar:
            gtk_range_set_range(GTK_RANGE(w), c.rangeMin, c.rangeMax > c.rangeMin ? c.rangeMax : c.rangeMin + 1);
            gtk_range_set_increments(GTK_RANGE(w), 1.0, c.pageSize);
            gtk_range_set_value(GTK_RANGE(w), c.pos);
            // Automatic ticks: one mark at every position.
            gtk_scale_clear_marks(GTK_SCALE(w));
            for (int v = c.rangeMin; v <= c.rangeMax && v - c.rangeMin <= 200; ++v) {
                gtk_scale_add_mark(GTK_SCALE(w), v, GTK_POS_BOTTOM, nullptr);
            }
            break;
        case ControlKind::GroupBox: gtk_frame_set_label(GTK_FRAME(w), PlainLabel(c.text).c_str()); break;
        case ControlKind::Edit: {
            GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(w));
            const std::string text = EditText(c.text);
            gtk_text_buffer_set_text(buffer, text.c_str(), static_cast<gint>(text.size()));
            // New text is shown from its start.
            GtkTextIter start;
            gtk_text_buffer_get_start_iter(buffer, &start);
            gtk_text_buffer_place_cursor(buffer, &start);
            GtkWidget* scroller = gtk_widget_get_parent(w);
            if (GTK_IS_SCROLLED_WINDOW(scroller)) {
                GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scroller));
                gtk_adjustment_set_value(adj, gtk_adjustment_get_lower(adj));
            }
            break;
        }
        case ControlKind::IconStatic: break;
        case ControlKind::Static:
        case ControlKind::Other: gtk_label_set_text(GTK_LABEL(w), PlainLabel(c.text).c_str()); break;
    }
    gtk_widget_set_sensitive(w, c.enabled ? TRUE : FALSE);
    run.syncing = wasSyncing;
}

void BuildDialogWindow(GtkDialogRun& run) {
    DialogModel& m = run.model;
    run.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_set_name(run.window, "morgrave-dialog");
    gtk_window_set_title(GTK_WINDOW(run.window), m.title.c_str());
    gtk_window_set_resizable(GTK_WINDOW(run.window), FALSE);
    gtk_window_set_type_hint(GTK_WINDOW(run.window), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(run.window), FALSE);

    // A title bar of our own: the caption, and only a close box (no minimise or maximise).
    run.header = gtk_header_bar_new();
    gtk_header_bar_set_title(GTK_HEADER_BAR(run.header), m.title.c_str());
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(run.header), TRUE);
    gtk_header_bar_set_decoration_layout(GTK_HEADER_BAR(run.header), ":close");
    gtk_window_set_titlebar(GTK_WINDOW(run.window), run.header);

    // Dialog units from the base units of the font standing in for the template's.
    PangoLayout* layout =
        gtk_widget_create_pango_layout(run.window, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    PangoFontDescription* font = pango_font_description_from_string("Sans");
    pango_font_description_set_size(font, (m.fontPoints > 0 ? m.fontPoints : 8) * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    int textW = 0, textH = 0;
    pango_layout_get_pixel_size(layout, &textW, &textH);
    pango_font_description_free(font);
    g_object_unref(layout);
    run.baseX = textW > 0 ? (textW / 26 + 1) / 2 : 6;
    run.baseY = textH > 0 ? textH : 13;

    run.clientWidth = DluToPixelsX(m.cx, run.baseX);
    run.clientHeight = DluToPixelsY(m.cy, run.baseY);
    run.fixed = gtk_fixed_new();
    gtk_widget_set_size_request(run.fixed, run.clientWidth, run.clientHeight);
    gtk_container_add(GTK_CONTAINER(run.window), run.fixed);

    GList* chain = nullptr;
    run.widgets.assign(m.controls.size(), nullptr);
    for (std::size_t i = 0; i < m.controls.size(); ++i) {
        DialogControl& c = m.controls[i];
        GtkWidget* outer = nullptr;
        GtkWidget* w = MakeControl(run, i, &outer);
        run.widgets[i] = w;
        if (c.kind == ControlKind::IconStatic) {
            gtk_fixed_put(GTK_FIXED(run.fixed), outer, DluToPixelsX(c.x, run.baseX), DluToPixelsY(c.y, run.baseY));
        } else {
            gtk_widget_set_size_request(outer, DluToPixelsX(c.cx, run.baseX), DluToPixelsY(c.cy, run.baseY));
            gtk_fixed_put(GTK_FIXED(run.fixed), outer, DluToPixelsX(c.x, run.baseX), DluToPixelsY(c.y, run.baseY));
        }
        if ((c.style & WS_TABSTOP) != 0) chain = g_list_append(chain, outer);
        SyncControlWidget(run, c);
    }
    // Tab goes through the tab stops in template order, as on Windows (GTK would sort by place).
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(run.fixed), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);

    gint minH = 0, natH = 0;
    gtk_widget_get_preferred_height(run.header, &minH, &natH);
    run.captionHeight = natH;

    gtk_widget_add_events(run.window, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(run.window, "delete-event", G_CALLBACK(OnDelete), &run);
    // Another client destroying the window (xdotool windowclose, xkill of the window) ends the
    // dialog like its close box, instead of leaving the modal loop without a window.
    g_signal_connect(run.window, "destroy-event", G_CALLBACK(OnDelete), &run);
    g_signal_connect(run.window, "key-press-event", G_CALLBACK(OnKeyPress), &run);
    g_signal_connect(run.window, "button-press-event", G_CALLBACK(OnButtonPress), &run);
    g_signal_connect(run.window, "configure-event", G_CALLBACK(OnConfigure), &run);
    m.onChanged = [&run](DialogControl& c) { SyncControlWidget(run, c); };
}

}  // namespace plat::posix
