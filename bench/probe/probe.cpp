// The outside view of the program for the black-box benchmark: generates the test files,
// starts the real executable on an X server and watches it as a user would, through the
// X server (is a window of the process viewable, what does its caption say) and /proc (CPU
// time, peak memory). It knows nothing of the program's insides.
//
//   orlimbo_probe generate BYTES PATH [SEED]
//   orlimbo_probe generate-mixed BYTES PATH [SEED]   (the whole character mix, bench/MixedText.h)
//   orlimbo_probe run [--first-text] [--walk=N | --walk-each=N, --last-caption=TEXT] [--resize=W1,W2,...] [--caption=TEXT] -- PROGRAM ARGS...
//
// run prints one line of JSON with the figures in milliseconds and bytes.
#include "../MixedText.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kQuiet = std::chrono::milliseconds(500);
constexpr auto kPoll = std::chrono::microseconds(500);
constexpr auto kGiveUp = std::chrono::seconds(300);

double msSince(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

[[noreturn]] void die(const std::string &what)
{
    std::fprintf(stderr, "orlimbo_probe: %s\n", what.c_str());
    std::exit(2);
}

// ---- the files ----

// The double-byte codes the text draws from: hiragana, katakana, punctuation, the circled
// numbers of the NEC row and the first level of kanji, so that a file holds a few thousand
// distinct characters as Japanese prose does. 0x815F (＼), 0x8160 (～) and 0x955C (表, a
// 0x5C trail byte) are in on purpose.
std::vector<std::string> japaneseCodes()
{
    std::vector<std::string> codes;
    auto add = [&](int code) { codes.push_back({char(code >> 8), char(code & 0xFF)}); };
    auto addRange = [&](int from, int to) {
        for (int c = from; c <= to; ++c) {
            const int trail = c & 0xFF;
            if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F)
                add(c);
        }
    };
    for (int c : {0x8141, 0x8142, 0x8145, 0x8148, 0x8149, 0x815B, 0x815F, 0x8160, 0x8175, 0x8176})
        add(c);
    for (int i = 0; i < 4; ++i) { // kana four times over: they are the most frequent
        addRange(0x829F, 0x82F1);
        addRange(0x8340, 0x8396);
    }
    addRange(0x8740, 0x8753);
    addRange(0x889F, 0x9872);
    return codes;
}

// Japanese and ASCII lines of 10-120 characters with CR LF, the same for the same seed.
void generate(long long bytes, const std::string &path, unsigned seed)
{
    const std::vector<std::string> codes = japaneseCodes();
    std::mt19937 random(seed);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        die("cannot write " + path);
    std::string buffer;
    long long written = 0;
    while (written < bytes) {
        buffer.clear();
        while (buffer.size() < (1u << 20)) {
            const int length = 10 + int(random() % 111);
            const bool ascii = random() % 2 == 0;
            for (int i = 0; i < length; ++i) {
                if (ascii)
                    buffer += char(random() % 7 == 0 ? ' ' : 'a' + random() % 26);
                else
                    buffer += codes[random() % codes.size()];
            }
            buffer += "\r\n";
        }
        const long long take = std::min<long long>(bytes - written, (long long)buffer.size());
        out.write(buffer.data(), take);
        written += take;
    }
    if (!out.flush())
        die("cannot write " + path);
}

void generateMixed(long long bytes, const std::string &path, unsigned seed)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        die("cannot write " + path);
    bench::mixed::generate(bytes, seed, [&](const char *data, size_t size) { out.write(data, std::streamsize(size)); });
    if (!out.flush())
        die("cannot write " + path);
}

// ---- /proc ----

// utime + stime of the whole process in clock ticks, or -1 once it is gone.
long long cpuTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return -1;
    // The command name may hold blanks and parentheses; the fields follow its last ')'.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14)
            utime = std::stoll(field);
        if (i == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return utime + stime;
}

long long statusBytes(pid_t pid, const char *name)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::string prefix = std::string(name) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stoll(line.substr(prefix.size())) * 1024;
    return -1;
}

// ---- the X server ----

class Display {
public:
    Display()
    {
        conn_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(conn_))
            die("no X server");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        pidAtom_ = atom("_NET_WM_PID");
        nameAtom_ = atom("_NET_WM_NAME");
        utf8Atom_ = atom("UTF8_STRING");
    }
    ~Display() { xcb_disconnect(conn_); }

    // A top-level window of the process that is mapped and viewable (no window manager, so
    // the program's top-level windows are children of the root).
    std::optional<xcb_window_t> viewableWindowOf(pid_t pid)
    {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(conn_, xcb_query_tree(conn_, root_), nullptr);
        if (!tree)
            return std::nullopt;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        const int count = xcb_query_tree_children_length(tree);
        std::vector<xcb_get_window_attributes_cookie_t> attributes;
        std::vector<xcb_get_property_cookie_t> pids;
        for (int i = 0; i < count; ++i) {
            attributes.push_back(xcb_get_window_attributes(conn_, children[i]));
            pids.push_back(xcb_get_property(conn_, 0, children[i], pidAtom_, XCB_ATOM_CARDINAL, 0, 1));
        }
        std::optional<xcb_window_t> found;
        for (int i = 0; i < count; ++i) {
            xcb_get_window_attributes_reply_t *a = xcb_get_window_attributes_reply(conn_, attributes[i], nullptr);
            xcb_get_property_reply_t *p = xcb_get_property_reply(conn_, pids[i], nullptr);
            const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE && a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
            const bool ours = p && xcb_get_property_value_length(p) == 4
                              && *static_cast<const uint32_t *>(xcb_get_property_value(p)) == uint32_t(pid);
            if (viewable && ours && !found)
                found = children[i];
            std::free(a);
            std::free(p);
        }
        std::free(tree);
        return found;
    }

    std::string caption(xcb_window_t window)
    {
        xcb_get_property_reply_t *p = xcb_get_property_reply(
            conn_, xcb_get_property(conn_, 0, window, nameAtom_, utf8Atom_, 0, 4096), nullptr);
        std::string text;
        if (p)
            text.assign(static_cast<const char *>(xcb_get_property_value(p)), xcb_get_property_value_length(p));
        std::free(p);
        return text;
    }

    int width(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, window), nullptr);
        const int w = g ? g->width : -1;
        std::free(g);
        return w;
    }

    void focus(xcb_window_t window)
    {
        xcb_set_input_focus(conn_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        xcb_aux_sync();
    }

    void resize(xcb_window_t window, int width, int height)
    {
        const uint32_t values[] = {uint32_t(width), uint32_t(height)};
        xcb_configure_window(conn_, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        xcb_flush(conn_);
    }

    // Whether the middle of the window (its central half across, a third down) shows text:
    // dark pixels on a light ground, where any viewer's text area lies.
    bool showsText(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, window), nullptr);
        if (!g)
            return false;
        const int w = g->width / 2, h = g->height / 3, x = g->width / 4, y = g->height / 3;
        std::free(g);
        xcb_get_image_reply_t *image = xcb_get_image_reply(
            conn_, xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, int16_t(x), int16_t(y), uint16_t(w),
                                 uint16_t(h), ~0u),
            nullptr);
        if (!image)
            return false;
        const uint8_t *pixels = xcb_get_image_data(image);
        const int length = xcb_get_image_data_length(image);
        int dark = 0, light = 0;
        for (int i = 0; i + 3 < length; i += 4) {
            const int luma = (pixels[i] + 2 * pixels[i + 1] + pixels[i + 2]) / 4;
            dark += luma < 96;
            light += luma > 200;
        }
        std::free(image);
        // A few hundred glyph pixels on a mostly light ground.
        return dark >= 300 && light > length / 8;
    }

    int height(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, window), nullptr);
        const int h = g ? g->height : -1;
        std::free(g);
        return h;
    }

    // Presses and releases the Down key `times` times through the XTEST extension, as a
    // keyboard would, in one go.
    void pressDown(int times = 1)
    {
        if (!downKeycode_)
            downKeycode_ = keycodeOf(0xFF54); // XK_Down
        for (int i = 0; i < times; ++i) {
            xcb_test_fake_input(conn_, XCB_KEY_PRESS, downKeycode_, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            xcb_test_fake_input(conn_, XCB_KEY_RELEASE, downKeycode_, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        xcb_flush(conn_);
    }

    // Presses the key of `keysym`, with Ctrl held when asked, as a keyboard would.
    void pressKey(uint32_t keysym, bool control = false)
    {
        const xcb_keycode_t key = keycodeOf(keysym);
        const xcb_keycode_t ctrl = control ? keycodeOf(0xFFE3) : 0; // XK_Control_L
        if (ctrl)
            xcb_test_fake_input(conn_, XCB_KEY_PRESS, ctrl, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(conn_, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(conn_, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        if (ctrl)
            xcb_test_fake_input(conn_, XCB_KEY_RELEASE, ctrl, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(conn_);
    }

    // From now on the window's property changes are reported to captionChanges().
    void watchCaption(xcb_window_t window)
    {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(conn_, window, XCB_CW_EVENT_MASK, &mask);
        xcb_aux_sync();
    }

    // How many times the caption was set since the last call (each setting is one
    // PropertyNotify, even when the program sets it again before anyone reads it).
    int captionChanges()
    {
        int changes = 0;
        while (xcb_generic_event_t *event = xcb_poll_for_event(conn_)) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY
                && reinterpret_cast<xcb_property_notify_event_t *>(event)->atom == nameAtom_)
                ++changes;
            std::free(event);
        }
        return changes;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *r =
            xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }

    void xcb_aux_sync() { std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr)); }

    xcb_keycode_t keycodeOf(uint32_t keysym)
    {
        const xcb_setup_t *setup = xcb_get_setup(conn_);
        const int first = setup->min_keycode;
        const int count = setup->max_keycode - first + 1;
        xcb_get_keyboard_mapping_reply_t *map = xcb_get_keyboard_mapping_reply(
            conn_, xcb_get_keyboard_mapping(conn_, xcb_keycode_t(first), uint8_t(count)), nullptr);
        if (!map)
            die("no keyboard mapping");
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
        const int per = map->keysyms_per_keycode;
        xcb_keycode_t found = 0;
        for (int i = 0; i < count && !found; ++i)
            for (int j = 0; j < per; ++j)
                if (syms[i * per + j] == keysym)
                    found = xcb_keycode_t(first + i);
        std::free(map);
        if (!found)
            die("no key for keysym " + std::to_string(keysym));
        return found;
    }

    xcb_connection_t *conn_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0, nameAtom_ = 0, utf8Atom_ = 0;
    xcb_keycode_t downKeycode_ = 0;
};

// ---- watching the process ----

struct Watched {
    pid_t pid = 0;
    long long ticks = 0;
    Clock::time_point lastGrowth;
};

// Waits until `ready` holds and the CPU time has not grown for 500 ms; returns the moment the
// wait ended, not counting the quiet 500 ms: the later of `ready` first holding and the last
// growth of the CPU time.
template <typename Ready>
Clock::time_point waitQuiet(Watched &w, Clock::time_point started, Ready ready)
{
    std::optional<Clock::time_point> readyAt;
    w.lastGrowth = started;
    for (;;) {
        const Clock::time_point now = Clock::now();
        const long long ticks = cpuTicks(w.pid);
        if (ticks < 0)
            die("the program ended early");
        if (ticks != w.ticks) {
            w.ticks = ticks;
            w.lastGrowth = now;
        }
        if (!readyAt && ready())
            readyAt = now;
        if (readyAt && now - std::max(*readyAt, w.lastGrowth) >= kQuiet)
            return std::max(*readyAt, w.lastGrowth);
        if (now - started > kGiveUp)
            die("the program did not come to rest");
        std::this_thread::sleep_for(kPoll);
    }
}

int run(int argc, char **argv)
{
    int walk = 0, walkEach = 0;
    std::string lastCaption, caption, searchWord, firstCaption;
    bool firstText = false;
    std::vector<int> widths;
    int i = 2;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--walk=", 0) == 0)
            walk = std::stoi(a.substr(7));
        else if (a.rfind("--walk-each=", 0) == 0)
            walkEach = std::stoi(a.substr(12));
        else if (a.rfind("--last-caption=", 0) == 0)
            lastCaption = a.substr(15);
        else if (a.rfind("--search=", 0) == 0)
            searchWord = a.substr(9);
        else if (a.rfind("--first-caption=", 0) == 0)
            firstCaption = a.substr(16);
        else if (a == "--first-text")
            firstText = true;
        else if (a.rfind("--caption=", 0) == 0)
            caption = a.substr(10);
        else if (a.rfind("--resize=", 0) == 0) {
            std::istringstream list(a.substr(9));
            for (std::string w; std::getline(list, w, ',');)
                widths.push_back(std::stoi(w));
        } else
            die("unknown argument " + a);
    }
    if (i + 1 >= argc)
        die("no program to run");
    char **program = argv + i + 1;

    Display display;
    const Clock::time_point launched = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(program[0], program);
        _exit(127);
    }
    Watched w{pid, 0, launched};
    xcb_window_t window = 0;
    // With --first-text, the program is also ready once the middle of its window shows text,
    // looked at every 2 ms.
    std::optional<Clock::time_point> textShown;
    Clock::time_point lastLook;
    const Clock::time_point settled = waitQuiet(w, launched, [&] {
        const std::optional<xcb_window_t> found = display.viewableWindowOf(pid);
        if (!found)
            return false;
        window = *found;
        if (firstText && !textShown && Clock::now() - lastLook >= std::chrono::milliseconds(2)) {
            lastLook = Clock::now();
            if (display.showsText(window))
                textShown = lastLook;
        }
        return (caption.empty() || display.caption(window) == caption) && (!firstText || textShown);
    });
    const double settleMs = msSince(launched, settled);
    const long long settleTicks = w.ticks;
    const long long settleHwm = statusBytes(pid, "VmHWM");

    std::ostringstream json;
    json << "{\"settle_ms\": " << settleMs << ", \"cpu_ms\": " << settleTicks * 1000.0 / sysconf(_SC_CLK_TCK)
         << ", \"peak_rss\": " << settleHwm;
    if (textShown)
        json << ", \"first_text_ms\": " << msSince(launched, *textShown);

    if (walk > 0 || walkEach > 0) {
        display.focus(window);
        const Clock::time_point first = Clock::now();
        const int steps = walk > 0 ? walk : walkEach;
        Clock::time_point end;
        if (walk > 0) {
            // All the keys at once, as fast as the X server takes them; the program must still
            // show every file, which the count of caption settings proves.
            display.watchCaption(window);
            display.pressDown(walk);
            int captions = 0;
            end = waitQuiet(w, first, [&] {
                captions += display.captionChanges();
                return display.caption(window) == lastCaption;
            });
            captions += display.captionChanges();
            if (captions != walk)
                die("the caption named " + std::to_string(captions) + " files, not " + std::to_string(walk));
        } else {
            // Each Down goes as soon as the caption names another file, so the program paints
            // between the steps.
            std::string shown = display.caption(window);
            for (int step = 0; step < walkEach; ++step) {
                display.pressDown();
                for (std::string now; (now = display.caption(window)) == shown;) {
                    if (Clock::now() - first > kGiveUp)
                        die("the walk stopped at " + shown);
                    std::this_thread::sleep_for(std::chrono::microseconds(50));
                }
                shown = display.caption(window);
            }
            end = waitQuiet(w, Clock::now(), [] { return true; });
            if (!lastCaption.empty() && shown != lastCaption)
                die("the walk ended at '" + shown + "', not at '" + lastCaption + "'");
        }
        json << ", \"walk_steps\": " << steps << ", \"walk_ms\": " << msSince(first, end)
             << ", \"walk_cpu_ms\": " << (w.ticks - settleTicks) * 1000.0 / sysconf(_SC_CLK_TCK);
    }

    if (!searchWord.empty()) {
        // Down shows the list's first file; Ctrl+F and the word (small ASCII letters) fill
        // the search bar; the time runs from Enter until the file holding the word is shown.
        display.focus(window);
        display.pressDown();
        waitQuiet(w, Clock::now(), [&] { return display.caption(window) == firstCaption; });
        display.pressKey('f', true);
        for (const char c : searchWord)
            display.pressKey(uint32_t(c));
        waitQuiet(w, Clock::now(), [] { return true; });
        const Clock::time_point asked = Clock::now();
        display.pressKey(0xFF0D); // XK_Return
        std::optional<Clock::time_point> named;
        const Clock::time_point end = waitQuiet(w, asked, [&] {
            if (!named && display.caption(window) == lastCaption)
                named = Clock::now();
            return named.has_value();
        });
        json << ", \"search_ms\": " << msSince(asked, end) << ", \"search_caption_ms\": " << msSince(asked, *named);
    }

    if (!widths.empty()) {
        const int height = display.height(window);
        std::vector<double> steps;
        for (int width : widths) {
            const Clock::time_point asked = Clock::now();
            display.resize(window, width, height);
            const Clock::time_point end = waitQuiet(w, asked, [&] { return display.width(window) == width; });
            steps.push_back(msSince(asked, end));
        }
        json << ", \"resize_ms\": [";
        for (size_t k = 0; k < steps.size(); ++k)
            json << (k ? ", " : "") << steps[k];
        json << "]";
    }

    json << ", \"peak_rss_end\": " << statusBytes(pid, "VmHWM") << "}";
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::printf("%s\n", json.str().c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "generate") == 0) {
        generate(std::stoll(argv[2]), argv[3], argc > 4 ? unsigned(std::stoul(argv[4])) : 42u);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "generate-mixed") == 0) {
        generateMixed(std::stoll(argv[2]), argv[3], argc > 4 ? unsigned(std::stoul(argv[4])) : 42u);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "run") == 0)
        return run(argc, argv);
    std::fprintf(stderr, "usage: orlimbo_probe generate[-mixed] BYTES PATH [SEED] | run [options] -- PROGRAM ARGS...\n");
    return 2;
}
