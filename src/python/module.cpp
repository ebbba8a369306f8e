// The Python module tovrik, over libtovrik's C interface.

#include "tovrik/tovrik.h"

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace {

// Raised for every error libtovrik reports, with its message.
PyObject *TovrikError = nullptr;

[[noreturn]] void fail(const std::string &message) {
    PyErr_SetString(TovrikError, message.c_str());
    throw py::error_already_set();
}

[[noreturn]] void raise(const tovrik_error &error, const std::string &prefix = {}) {
    if (error.code == TOVRIK_ERROR_NO_MEMORY)
        throw std::bad_alloc();
    fail(prefix + error.message);
}

struct OptionsDeleter {
    void operator()(tovrik_options *options) const { tovrik_options_free(options); }
};
struct SplitterDeleter {
    void operator()(tovrik_splitter *splitter) const { tovrik_splitter_free(splitter); }
};
using OptionsPtr = std::unique_ptr<tovrik_options, OptionsDeleter>;
using SplitterPtr = std::unique_ptr<tovrik_splitter, SplitterDeleter>;

// A value as a message shows it: quoted, or as Python writes bytes when it is
// not UTF-8 (a message must be).
std::string shown(const std::string &value) {
    if (PyObject *text = PyUnicode_DecodeUTF8(value.data(), Py_ssize_t(value.size()), nullptr)) {
        Py_DECREF(text);
        return "'" + value + "'";
    }
    PyErr_Clear();
    return std::string(py::repr(py::bytes(value)));
}

// The name of an object's type, for a message.
std::string typeName(const py::handle &object) {
    return std::string(py::str(py::type::handle_of(object).attr("__name__")));
}

// concat given as a bool (an int or NumPy's bool too, as Python's own flags
// take them). None or another object is refused rather than read as false,
// which would cut into SMS of their own without a word.
tovrik_units unitsOf(const py::handle &concat) {
    const char *type = Py_TYPE(concat.ptr())->tp_name;
    const bool numpyBool =
        std::strcmp(type, "numpy.bool_") == 0 || std::strcmp(type, "numpy.bool") == 0;
    if (!PyLong_Check(concat.ptr()) && !numpyBool)
        throw py::type_error("concat must be True or False, not " + typeName(concat));
    const int truth = PyObject_IsTrue(concat.ptr());
    if (truth < 0)
        throw py::error_already_set();
    return truth ? TOVRIK_UNITS_SMS_CONCAT : TOVRIK_UNITS_SMS;
}

// A limit given as any Python int. libtovrik checks its range; one too large
// for a C int never reaches it, and is out of range as 0 is.
int limitOf(const py::object &limit) {
    if (!PyIndex_Check(limit.ptr()))
        throw py::type_error("the limit must be an int, not " + typeName(limit));
    const auto value = py::reinterpret_steal<py::object>(PyNumber_Index(limit.ptr()));
    if (!value)
        throw py::error_already_set();
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (overflow != 0 || v < INT_MIN || v > INT_MAX)
        fail("the limit must be between 1 and 32767, not " + std::string(py::str(value)));
    return int(v);
}

// An option's text reaches libtovrik as a C string, which a NUL would end.
void refuseNul(const std::string &text, const char *what) {
    if (text.find('\0') != std::string::npos)
        fail(std::string(what) + " a NUL character");
}

OptionsPtr makeOptions(tovrik_units units, const std::string &mode, int limit,
                       const std::optional<std::string> &number, const std::string &replace,
                       const std::optional<std::string> &language) {
    refuseNul(mode, "the mode holds");
    if (number)
        refuseNul(*number, "the numbering format holds");
    refuseNul(replace, "the replacement holds");
    if (language)
        refuseNul(*language, "the languages hold");
    tovrik_mode m;
    if (mode == "space")
        m = TOVRIK_MODE_SPACE;
    else if (mode == "exact")
        m = TOVRIK_MODE_EXACT;
    else if (mode == "period")
        m = TOVRIK_MODE_PERIOD;
    else
        fail("unknown mode " + shown(mode) + " (space, exact or period)");
    tovrik_replace r;
    if (replace == "never")
        r = TOVRIK_REPLACE_NEVER;
    else if (replace == "when-cheaper")
        r = TOVRIK_REPLACE_WHEN_CHEAPER;
    else if (replace == "always")
        r = TOVRIK_REPLACE_ALWAYS;
    else
        fail("unknown replacement " + shown(replace) + " (never, when-cheaper or always)");
    tovrik_options *options = nullptr;
    tovrik_error error;
    if (tovrik_options_new_ex(units, m, limit, number ? number->c_str() : nullptr, r,
                              language ? language->c_str() : nullptr, &options,
                              &error) != TOVRIK_OK)
        raise(error);
    return OptionsPtr(options);
}

SplitterPtr makeSplitter() {
    tovrik_splitter *splitter = nullptr;
    tovrik_error error;
    if (tovrik_splitter_new(&splitter, &error) != TOVRIK_OK)
        raise(error);
    return SplitterPtr(splitter);
}

// One splitter per thread for the single calls: the GIL is held while it is
// used, and it keeps its memory from one call to the next. Building a result
// runs Python code (a collection can run a finalizer that calls us again), so
// the thread's splitter is lent out for the whole call: a call made while it
// is out cuts with a splitter of its own.
class ThreadSplitter {
public:
    ThreadSplitter() {
        if (kept().lent) {
            m_own = makeSplitter();
            return;
        }
        if (!kept().splitter)
            kept().splitter = makeSplitter();
        kept().lent = true;
    }
    ~ThreadSplitter() {
        if (!m_own)
            kept().lent = false;
    }
    ThreadSplitter(const ThreadSplitter &) = delete;
    ThreadSplitter &operator=(const ThreadSplitter &) = delete;

    tovrik_splitter *get() const { return m_own ? m_own.get() : kept().splitter.get(); }

private:
    struct Kept {
        SplitterPtr splitter;
        bool lent = false;
    };
    static Kept &kept() {
        thread_local Kept slot;
        return slot;
    }
    SplitterPtr m_own;
};

// Part and Result are struct sequences (named tuples made in C): cheap to
// make by the million, compared and shown as tuples, fields read by name.
// Every field is in the tuple: what compares, hashes and rebuilds a result
// (==, a set, Dask's task keys, Result(tuple(r))) sees only those.
PyTypeObject *PartType = nullptr;
PyTypeObject *ResultType = nullptr;
// A result's shift tables: a dict that hashes, as the result holding it must.
PyObject *ShiftType = nullptr;

PyStructSequence_Field partFields[] = {
    {"text", "The part as it is sent (numbered when asked)."},
    {"encoding", "\"GSM-7\" or \"UCS-2\": the message's with concatenation, else the part's "
                 "own."},
    {"units", "The part's length in its encoding: septets or UTF-16 code units."},
    {nullptr, nullptr}};
PyStructSequence_Desc partDesc = {"tovrik.Part", "One part of a cut message.", partFields, 3};

PyStructSequence_Field resultFields[] = {
    {"parts", "The parts, in order (a tuple of Part)."},
    {"encoding", "What the message is sent in: with sms(), the parts' encoding (UCS-2 when any "
                 "part is); with split(), the whole message's as one concatenated SMS."},
    {"segments", "How many SMS the message costs: with sms(), one a part; with split(), the "
                 "segments of the whole message as one concatenated SMS (0 when empty)."},
    {"shift", "The national shift tables the GSM-7 parts use, {\"locking\": code, \"single\": "
              "code} without the default ones; None without national tables."},
    {"replaced", "How many look-alike characters were replaced; None unless asked."},
    {"sent", "The text as sent once look-alikes are replaced; None when none were."},
    {"non_gsm7", "Why a message is UCS-2: its characters without a GSM-7 form, each once, in "
                 "order, at most 10 (a tuple; empty for GSM-7)."},
    {"non_gsm7_more", "How many other different characters have no GSM-7 form."},
    {nullptr, nullptr}};
PyStructSequence_Desc resultDesc = {"tovrik.Result", "A message cut into parts.", resultFields, 8};

// What a result says beyond its parts, taken from the splitter after a cut.
struct Extras {
    std::string_view locking;
    std::string_view single;
    bool replaceAsked = false;
    std::size_t replaced = 0;
    std::string_view sent;
    std::vector<std::string_view> nonGsm7;
    std::size_t more = 0;

    void take(const tovrik_splitter *splitter, bool asked) {
        locking = tovrik_shift_locking(splitter);
        single = tovrik_shift_single(splitter);
        replaceAsked = asked;
        replaced = tovrik_replaced(splitter);
        std::size_t length = 0;
        const char *text = tovrik_sent_text(splitter, &length);
        sent = {text, length};
        nonGsm7.clear();
        for (std::size_t i = 0; i < tovrik_non_gsm7_count(splitter); ++i) {
            const char *c = tovrik_non_gsm7(splitter, i, &length);
            nonGsm7.emplace_back(c, length);
        }
        more = tovrik_non_gsm7_more(splitter);
    }
};

py::object newPart(py::str text, py::str encoding, std::size_t units) {
    PyObject *part = PyStructSequence_New(PartType);
    if (!part)
        throw py::error_already_set();
    PyStructSequence_SetItem(part, 0, text.release().ptr());
    PyStructSequence_SetItem(part, 1, encoding.release().ptr());
    PyStructSequence_SetItem(part, 2, PyLong_FromSize_t(units));
    return py::reinterpret_steal<py::object>(part);
}

py::str decode(const char *data, std::size_t size);

py::object newResult(py::tuple parts, py::str encoding, std::size_t segments,
                     const Extras &extras) {
    PyObject *result = PyStructSequence_New(ResultType);
    if (!result)
        throw py::error_already_set();
    py::object shift = py::none();
    if (!extras.locking.empty() || !extras.single.empty()) {
        py::dict tables;
        if (!extras.locking.empty())
            tables["locking"] = py::str(std::string(extras.locking));
        if (!extras.single.empty())
            tables["single"] = py::str(std::string(extras.single));
        shift = py::reinterpret_borrow<py::object>(ShiftType)(tables);
    }
    py::tuple nonGsm7(extras.nonGsm7.size());
    for (std::size_t i = 0; i < extras.nonGsm7.size(); ++i)
        nonGsm7[i] = decode(extras.nonGsm7[i].data(), extras.nonGsm7[i].size());
    PyStructSequence_SetItem(result, 0, parts.release().ptr());
    PyStructSequence_SetItem(result, 1, encoding.release().ptr());
    PyStructSequence_SetItem(result, 2, PyLong_FromSize_t(segments));
    PyStructSequence_SetItem(result, 3, shift.release().ptr());
    PyStructSequence_SetItem(result, 4,
                             extras.replaceAsked ? PyLong_FromSize_t(extras.replaced)
                                                 : py::none().release().ptr());
    PyStructSequence_SetItem(result, 5,
                             extras.replaced > 0
                                 ? decode(extras.sent.data(), extras.sent.size()).release().ptr()
                                 : py::none().release().ptr());
    PyStructSequence_SetItem(result, 6, nonGsm7.release().ptr());
    PyStructSequence_SetItem(result, 7, PyLong_FromSize_t(extras.more));
    return py::reinterpret_steal<py::object>(result);
}

py::str encodingName(tovrik_encoding encoding) {
    static py::str *names[2] = {new py::str("GSM-7"), new py::str("UCS-2")};
    return *names[encoding == TOVRIK_GSM7 ? 0 : 1];
}

py::str decode(const char *data, std::size_t size) {
    PyObject *text = PyUnicode_DecodeUTF8(data, Py_ssize_t(size), "strict");
    if (!text)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(text);
}

// The code points of well-formed UTF-8: the bytes that are not continuations.
std::size_t codePoints(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// A str's UTF-8, valid while the str lives. A lone surrogate, which no
// UTF-8 holds, is said as the library says invalid UTF-8: where it is.
template <class Prefix> std::string_view strUtf8(const py::handle &text, const Prefix &prefix) {
    Py_ssize_t size = 0;
    if (const char *data = PyUnicode_AsUTF8AndSize(text.ptr(), &size))
        return {data, std::size_t(size)};
    if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError))
        throw py::error_already_set();
    PyErr_Clear();
    const Py_ssize_t length = PyUnicode_GET_LENGTH(text.ptr());
    for (Py_ssize_t i = 0; i < length; ++i)
        if (const Py_UCS4 c = PyUnicode_READ_CHAR(text.ptr(), i); c >= 0xD800 && c < 0xE000) {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", unsigned(c));
            fail(prefix() + "a lone surrogate (U+" + code + ") at character " + std::to_string(i) +
                 ": not Unicode text");
        }
    fail(prefix() + "the text cannot be written in UTF-8");
}

// An option's text, str or bytes (or a bytearray); None where the option may
// be left out.
std::optional<std::string> optionText(const py::handle &value, const char *name,
                                      bool mayBeNone = false) {
    if (mayBeNone && value.is_none())
        return std::nullopt;
    if (PyBytes_Check(value.ptr()))
        return std::string(PyBytes_AS_STRING(value.ptr()),
                           std::size_t(PyBytes_GET_SIZE(value.ptr())));
    if (PyByteArray_Check(value.ptr()))
        return std::string(PyByteArray_AS_STRING(value.ptr()),
                           std::size_t(PyByteArray_GET_SIZE(value.ptr())));
    if (!PyUnicode_Check(value.ptr()))
        throw py::type_error(std::string(name) + " must be str or bytes" +
                             (mayBeNone ? " or None" : "") + ", not " + typeName(value));
    return std::string(strUtf8(value, [name] { return std::string(name) + ": "; }));
}

// The options given as Python objects (str or bytes; None where they may be
// left out), read as libtovrik takes them.
class Choices {
public:
    Choices(const py::handle &mode, const py::handle &number, const py::handle &replace,
            const py::handle &language = py::none())
        : m_mode(*optionText(mode, "the mode")),
          m_number(optionText(number, "the numbering format", true)),
          m_replace(*optionText(replace, "the replacement")),
          m_language(optionText(language, "the languages", true)) {}

    OptionsPtr options(tovrik_units units, int limit) const {
        return makeOptions(units, m_mode, limit, m_number, m_replace, m_language);
    }
    bool replaceAsked() const { return m_replace != "never"; }

private:
    std::string m_mode;
    std::optional<std::string> m_number;
    std::string m_replace;
    std::optional<std::string> m_language;
};

// A text's UTF-8 bytes: a str's own cached form, or a bytes object's bytes.
// The object must outlive the view. Errors name the text's index in a batch
// (from 0; none for a single text).
std::string_view utf8Of(const py::handle &text, std::ptrdiff_t index = -1) {
    const auto prefix = [index] {
        return index < 0 ? std::string() : "text " + std::to_string(index) + ": ";
    };
    if (PyUnicode_Check(text.ptr()))
        return strUtf8(text, prefix);
    if (PyBytes_Check(text.ptr()))
        return {PyBytes_AS_STRING(text.ptr()), std::size_t(PyBytes_GET_SIZE(text.ptr()))};
    throw py::type_error(prefix() + "a text must be str or bytes, not " + typeName(text));
}

py::object cutOne(const py::handle &text, const tovrik_options *options, bool replaceAsked) {
    const std::string_view message = utf8Of(text);
    const ThreadSplitter lent;
    tovrik_splitter *splitter = lent.get();
    tovrik_error error;
    if (tovrik_split(splitter, options, message.data(), message.size(), &error) != TOVRIK_OK)
        raise(error);
    const std::size_t count = tovrik_part_count(splitter);
    py::tuple parts(count);
    for (std::size_t i = 0; i < count; ++i) {
        tovrik_part part;
        if (tovrik_get_part(splitter, i, &part, &error) != TOVRIK_OK)
            raise(error);
        const bool whole = part.text == message.data() && part.text_length == message.size();
        parts[i] = newPart(whole && PyUnicode_CheckExact(text.ptr())
                               ? py::reinterpret_borrow<py::str>(text) // (a subclass's: decoded)
                               : decode(part.text, part.text_length),
                           encodingName(part.encoding), part.units);
    }
    Extras extras;
    extras.take(splitter, replaceAsked);
    return newResult(std::move(parts), encodingName(tovrik_message_encoding(splitter)),
                     tovrik_segments(splitter), extras);
}

// Many texts: their bytes are gathered with the GIL held, cut with it
// released, and the results built with it held again.
py::list cutMany(const py::object &texts, const tovrik_options *options, bool replaceAsked) {
    // One text is an iterable too, of its characters (or of ints): each
    // would be cut as a message of its own.
    if (PyUnicode_Check(texts.ptr()) || PyBytes_Check(texts.ptr()) ||
        PyByteArray_Check(texts.ptr()))
        throw py::type_error("texts must be an iterable of texts, not one " + typeName(texts) +
                             " (cut one text with split() or sms())");
    // The texts in a tuple of our own, which no other thread can change while
    // their bytes are cut without the GIL.
    const auto sequence = py::reinterpret_steal<py::object>(PySequence_Tuple(texts.ptr()));
    if (!sequence)
        throw py::error_already_set();
    const std::size_t count = std::size_t(PyTuple_GET_SIZE(sequence.ptr()));
    PyObject **items = &PyTuple_GET_ITEM(sequence.ptr(), 0);
    // A text that is no text is refused once the texts before it are cut: the
    // error is then the first text's that cannot be cut.
    std::vector<std::string_view> messages;
    messages.reserve(count);
    std::vector<char> isStr; // the parts of a str are slices of it
    isStr.reserve(count);
    std::exception_ptr refused;
    for (std::size_t m = 0; m < count && !refused; ++m) {
        try {
            messages.push_back(utf8Of(items[m], std::ptrdiff_t(m)));
            isStr.push_back(PyUnicode_Check(items[m]) ? 1 : 0);
        } catch (...) {
            refused = std::current_exception();
        }
    }

    struct Cut {
        tovrik_encoding encoding;
        std::size_t segments;
        std::size_t firstPart;
    };
    struct PartCut {
        std::size_t from;   // into `numbered`, or the message's offset
        std::size_t length; // bytes
        // A slice of a str: where, in code points (counted here, without
        // the GIL, rather than while the results are built).
        std::size_t character;
        std::size_t characters;
        tovrik_encoding encoding;
        std::size_t units;
        bool numbered; // the text is in `numbered`
        bool whole;    // the text is the whole message
    };
    std::vector<Cut> cuts(messages.size() + 1);
    // Each message's extras, their texts kept in `kept` (the splitter moves
    // on to the next message).
    std::vector<Extras> extras(messages.size());
    std::string kept;
    std::vector<std::pair<std::size_t, std::size_t>> keptAt; // offset, length
    std::vector<PartCut> parts;
    std::string numbered;
    tovrik_error error;
    std::size_t failed = messages.size();
    bool outOfMemory = false;
    bool interrupted = false;
    SplitterPtr splitter = makeSplitter();
    {
        py::gil_scoped_release release;
        try {
            parts.reserve(messages.size());
            // Ctrl+C and other signals are looked at every few megabytes, so
            // a long batch can be stopped; their handlers need the GIL.
            constexpr std::size_t SignalsEvery = std::size_t(4) << 20;
            std::size_t sinceSignals = 0;
            for (std::size_t m = 0; m < messages.size(); ++m) {
                const std::string_view message = messages[m];
                sinceSignals += message.size() + 64; // (and something a message)
                if (sinceSignals >= SignalsEvery) {
                    sinceSignals = 0;
                    const py::gil_scoped_acquire hold;
                    if (PyErr_CheckSignals() != 0) {
                        interrupted = true;
                        break;
                    }
                }
                if (tovrik_split(splitter.get(), options, message.data(), message.size(), &error) !=
                    TOVRIK_OK) {
                    failed = m;
                    break;
                }
                cuts[m] = {tovrik_message_encoding(splitter.get()), tovrik_segments(splitter.get()),
                           parts.size()};
                Extras &extra = extras[m];
                extra.take(splitter.get(), replaceAsked);
                if (extra.replaced > 0 || !extra.nonGsm7.empty()) {
                    // Views into `kept` are made once it stops growing.
                    const auto keep = [&](std::string_view text) {
                        keptAt.emplace_back(kept.size(), text.size());
                        kept.append(text);
                    };
                    keep(extra.replaced > 0 ? extra.sent : std::string_view());
                    for (const std::string_view c : extra.nonGsm7)
                        keep(c);
                    extra.sent = {};
                    extra.nonGsm7.assign(extra.nonGsm7.size(), std::string_view());
                }
                const std::size_t count = tovrik_part_count(splitter.get());
                std::size_t byte = 0; // and the code points before it
                std::size_t character = 0;
                for (std::size_t i = 0; i < count; ++i) {
                    tovrik_part part;
                    tovrik_get_part(splitter.get(), i, &part, nullptr);
                    const bool own = part.text == message.data() + part.offset;
                    const std::size_t from = own ? part.offset : numbered.size();
                    std::size_t characters = 0;
                    if (!own) {
                        numbered.append(part.text, part.text_length);
                    } else if (isStr[m]) {
                        character += codePoints(message.substr(byte, from - byte));
                        characters = codePoints(message.substr(from, part.text_length));
                        byte = from + part.text_length;
                    }
                    parts.push_back({from, part.text_length, character, characters, part.encoding,
                                     part.units, !own, own && part.text_length == message.size()});
                    character += characters;
                }
            }
            cuts[messages.size()].firstPart = parts.size();
        } catch (const std::bad_alloc &) {
            outOfMemory = true;
        }
    }
    if (outOfMemory)
        throw std::bad_alloc();
    if (interrupted)
        throw py::error_already_set(); // (what the handler raised)
    if (failed < messages.size())
        raise(error, "text " + std::to_string(failed) + ": ");
    if (refused)
        std::rethrow_exception(refused);

    // Millions of new tuples would set off the cyclic garbage collector again
    // and again, though none of them can form a cycle.
    struct GcPause {
        int wasOn = PyGC_Disable();
        ~GcPause() {
            if (wasOn)
                PyGC_Enable();
        }
    } pause;
    py::list results(messages.size());
    std::size_t nextKept = 0;
    for (Extras &extra : extras) {
        if (extra.replaced == 0 && extra.nonGsm7.empty())
            continue;
        const auto view = [&] {
            const auto [from, length] = keptAt[nextKept++];
            return std::string_view(kept).substr(from, length);
        };
        extra.sent = view();
        for (std::string_view &c : extra.nonGsm7)
            c = view();
    }
    for (std::size_t m = 0; m < messages.size(); ++m) {
        const std::size_t first = cuts[m].firstPart;
        py::tuple texts(cuts[m + 1].firstPart - first);
        for (std::size_t i = first; i < cuts[m + 1].firstPart; ++i) {
            const PartCut &part = parts[i];
            py::str text;
            if (part.whole && PyUnicode_CheckExact(items[m])) {
                // (A subclass's text is sliced below into a plain str.)
                text = py::reinterpret_borrow<py::str>(items[m]);
            } else if (!part.numbered && isStr[m]) {
                text = py::reinterpret_steal<py::str>(
                    PyUnicode_Substring(items[m], Py_ssize_t(part.character),
                                        Py_ssize_t(part.character + part.characters)));
                if (!text)
                    throw py::error_already_set();
            } else {
                text = decode((part.numbered ? numbered.data() : messages[m].data()) + part.from,
                              part.length);
            }
            texts[i - first] = newPart(std::move(text), encodingName(part.encoding), part.units);
        }
        results[m] = newResult(std::move(texts), encodingName(cuts[m].encoding), cuts[m].segments,
                               extras[m]);
    }
    return results;
}

} // namespace

PYBIND11_MODULE(tovrik, m) {
    m.doc() = "Cuts text messages into pieces that fit SMS limits (libtovrik).\n\n"
              "split() cuts at a character limit, sms() in SMS units; split_batch() and\n"
              "sms_batch() cut many texts at once with the GIL released. Every result\n"
              "holds the parts (text, encoding, units) and the message's own encoding\n"
              "and segments, as tovrik-split --json writes them.";
    m.attr("__version__") = tovrik_version();

    TovrikError = PyErr_NewExceptionWithDoc(
        "tovrik.Error", "An error libtovrik reports, with its message.", PyExc_ValueError, nullptr);
    if (!TovrikError)
        throw py::error_already_set();
    m.attr("Error") = py::handle(TovrikError);

    PartType = PyStructSequence_NewType(&partDesc);
    ResultType = PyStructSequence_NewType(&resultDesc);
    if (!PartType || !ResultType)
        throw py::error_already_set();
    m.attr("Part") = py::handle(reinterpret_cast<PyObject *>(PartType));
    m.attr("Result") = py::handle(reinterpret_cast<PyObject *>(ResultType));
    py::dict scope;
    py::exec(R"(
def to_dict(self):
    """The result as tovrik-split --json writes it, in its order and without
    its "id": encoding, segments, the national tables, why UCS-2, the
    replacement, and the parts."""
    line = {"encoding": self.encoding, "segments": self.segments}
    if self.shift:
        line["shift"] = dict(self.shift)
    if self.encoding == "UCS-2":
        line["nonGsm7"] = {"characters": list(self.non_gsm7), "more": self.non_gsm7_more}
    if self.replaced is not None:
        line["replaced"] = self.replaced
        if self.sent is not None:
            line["sent"] = self.sent
    line["parts"] = [dict({"text": p.text, "encoding": p.encoding, "units": p.units},
                          **({"shift": dict(self.shift)}
                             if self.shift and p.encoding == "GSM-7" else {}))
                     for p in self.parts]
    return line
)",
             scope);
    m.attr("Result").attr("to_dict") = scope["to_dict"];
    py::exec(R"(
class _Shift(dict):
    """A result's national shift tables ("locking", "single"): a dict that
    cannot be changed, and so can be hashed with the result."""

    __slots__ = ()

    def __hash__(self):
        return hash(tuple(sorted(self.items())))

    def __reduce__(self):
        return (_Shift, (dict(self),))

    def _unchangeable(self, *args, **kwargs):
        raise TypeError("a result's shift tables cannot be changed")

    __setitem__ = __delitem__ = __ior__ = _unchangeable
    clear = pop = popitem = setdefault = update = _unchangeable
)",
             m.attr("__dict__"));
    ShiftType = py::object(m.attr("_Shift")).release().ptr(); // (kept for good, as the types)

    // The functions are Python functions over these, so that they pickle by
    // name (as Dask ships them to its workers); a C++ function of the module
    // does not pickle.
    m.def(
        "_split",
        [](const py::object &text, const py::object &limit, const py::object &mode,
           const py::object &number, const py::object &replace) {
            const Choices choices(mode, number, replace);
            const OptionsPtr options = choices.options(TOVRIK_UNITS_CHARACTERS, limitOf(limit));
            return cutOne(text, options.get(), choices.replaceAsked());
        },
        "split()'s work.");
    m.def(
        "_sms",
        [](const py::object &text, const py::object &concat, const py::object &mode,
           const py::object &number, const py::object &replace, const py::object &language) {
            const Choices choices(mode, number, replace, language);
            const OptionsPtr options = choices.options(unitsOf(concat), 0);
            return cutOne(text, options.get(), choices.replaceAsked());
        },
        "sms()'s work.");
    m.def(
        "_split_batch",
        [](const py::object &texts, const py::object &limit, const py::object &mode,
           const py::object &number, const py::object &replace) {
            const Choices choices(mode, number, replace);
            const OptionsPtr options = choices.options(TOVRIK_UNITS_CHARACTERS, limitOf(limit));
            return cutMany(texts, options.get(), choices.replaceAsked());
        },
        "split_batch()'s work.");
    m.def(
        "_sms_batch",
        [](const py::object &texts, const py::object &concat, const py::object &mode,
           const py::object &number, const py::object &replace, const py::object &language) {
            const Choices choices(mode, number, replace, language);
            const OptionsPtr options = choices.options(unitsOf(concat), 0);
            return cutMany(texts, options.get(), choices.replaceAsked());
        },
        "sms_batch()'s work.");
    py::exec(R"(
def split(text, limit=160, mode="space", number=None, replace="never"):
    """Cuts text (str, or UTF-8 bytes) into pieces of at most `limit` UTF-16 code
    units (1 to 32767), except that a word ("space") or sentence ("period")
    longer than the limit stays whole, and a character of two units is never
    split (with limit 1 it is a piece of two). mode: "space" (whole words),
    "exact" or "period" (whole sentences). number: a format such as "%k/%n %t" that numbers
    the pieces. replace: "when-cheaper" or "always" replaces look-alike
    characters (curly quotes, dashes, odd spaces) by GSM-7 ones, as
    tovrik-split --replace. Raises tovrik.Error with libtovrik's message on bad
    input."""
    return _split(text, limit, mode, number, replace)


def sms(text, concat=True, mode="space", number=None, replace="never", language=None):
    """Cuts text (str, or UTF-8 bytes) in SMS units. concat=True: the parts of one
    concatenated SMS (153 septets or 67 units each, one part when the message
    fits one SMS); concat=False: each piece one SMS of its own (160 or 70).
    mode, number and replace as for split(). language: national languages whose
    shift tables GSM-7 may use, such as "tr,es,pt" (tovrik-split --language).
    Raises tovrik.Error on bad input."""
    return _sms(text, concat, mode, number, replace, language)


def split_batch(texts, limit=160, mode="space", number=None, replace="never"):
    """split() over an iterable of texts, as a list of results in the same order.
    The cutting runs with the GIL released. The first text that cannot be cut
    raises tovrik.Error naming its index."""
    return _split_batch(texts, limit, mode, number, replace)


def sms_batch(texts, concat=True, mode="space", number=None, replace="never", language=None):
    """sms() over an iterable of texts, as a list of results in the same order.
    The cutting runs with the GIL released. The first text that cannot be cut
    raises tovrik.Error naming its index."""
    return _sms_batch(texts, concat, mode, number, replace, language)
)",
             m.attr("__dict__"));
}
