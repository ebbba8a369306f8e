// The Python module tovrik, over libtovrik's C interface.

#include "tovrik/tovrik.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace {

// Raised for every error libtovrik reports, with its message.
PyObject *TovrikError = nullptr;

[[noreturn]] void raise(const tovrik_error &error, const std::string &prefix = {}) {
    if (error.code == TOVRIK_ERROR_NO_MEMORY)
        throw std::bad_alloc();
    PyErr_SetString(TovrikError, (prefix + error.message).c_str());
    throw py::error_already_set();
}

struct OptionsDeleter {
    void operator()(tovrik_options *options) const { tovrik_options_free(options); }
};
struct SplitterDeleter {
    void operator()(tovrik_splitter *splitter) const { tovrik_splitter_free(splitter); }
};
using OptionsPtr = std::unique_ptr<tovrik_options, OptionsDeleter>;
using SplitterPtr = std::unique_ptr<tovrik_splitter, SplitterDeleter>;

OptionsPtr makeOptions(tovrik_units units, const std::string &mode, int limit,
                       const std::optional<std::string> &number) {
    tovrik_mode m;
    if (mode == "space")
        m = TOVRIK_MODE_SPACE;
    else if (mode == "exact")
        m = TOVRIK_MODE_EXACT;
    else if (mode == "period")
        m = TOVRIK_MODE_PERIOD;
    else
        throw py::value_error("unknown mode '" + mode + "' (space, exact or period)");
    if (number && number->find('\0') != std::string::npos)
        throw py::value_error("the numbering format holds a NUL character");
    tovrik_options *options = nullptr;
    tovrik_error error;
    if (tovrik_options_new(units, m, limit, number ? number->c_str() : nullptr, &options, &error) !=
        TOVRIK_OK)
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
// used, and it keeps its memory from one call to the next.
tovrik_splitter *threadSplitter() {
    thread_local SplitterPtr splitter = makeSplitter();
    return splitter.get();
}

struct Part {
    py::str text;
    py::str encoding;
    std::size_t units = 0;
};

struct Result {
    std::vector<Part> parts;
    py::str encoding;
    std::size_t segments = 0;
};

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

// A text's UTF-8 bytes: a str's own cached form, or a bytes object's bytes.
// The object must outlive the view.
std::string_view utf8Of(const py::handle &text) {
    if (PyUnicode_Check(text.ptr())) {
        Py_ssize_t size = 0;
        const char *data = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
        if (!data)
            throw py::error_already_set();
        return {data, std::size_t(size)};
    }
    if (PyBytes_Check(text.ptr()))
        return {PyBytes_AS_STRING(text.ptr()), std::size_t(PyBytes_GET_SIZE(text.ptr()))};
    throw py::type_error("a text must be str or bytes, not " +
                         std::string(py::str(py::type::handle_of(text).attr("__name__"))));
}

Result cutOne(const py::handle &text, const tovrik_options *options) {
    const std::string_view message = utf8Of(text);
    tovrik_splitter *splitter = threadSplitter();
    tovrik_error error;
    if (tovrik_split(splitter, options, message.data(), message.size(), &error) != TOVRIK_OK)
        raise(error);
    Result result;
    result.encoding = encodingName(tovrik_message_encoding(splitter));
    result.segments = tovrik_segments(splitter);
    const std::size_t count = tovrik_part_count(splitter);
    result.parts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        tovrik_part part;
        tovrik_get_part(splitter, i, &part, nullptr);
        const bool whole = part.text == message.data() && part.text_length == message.size();
        result.parts.push_back({whole && PyUnicode_Check(text.ptr())
                                    ? py::reinterpret_borrow<py::str>(text)
                                    : decode(part.text, part.text_length),
                                encodingName(part.encoding), part.units});
    }
    return result;
}

// Many texts: their bytes are gathered with the GIL held, cut with it
// released, and the results built with it held again.
std::vector<Result> cutMany(const py::iterable &texts, const tovrik_options *options) {
    std::vector<py::object> keep;
    std::vector<std::string_view> messages;
    for (const py::handle text : texts) {
        messages.push_back(utf8Of(text));
        keep.push_back(py::reinterpret_borrow<py::object>(text));
    }

    struct Cut {
        tovrik_encoding encoding;
        std::size_t segments;
        std::size_t firstPart;
    };
    struct PartCut {
        std::size_t from;   // into `numbered`, or the message's offset
        std::size_t length; // bytes
        tovrik_encoding encoding;
        std::size_t units;
        bool numbered; // the text is in `numbered`
        bool whole;    // the text is the whole message
    };
    std::vector<Cut> cuts(messages.size() + 1);
    std::vector<PartCut> parts;
    std::string numbered;
    tovrik_error error;
    std::size_t failed = messages.size();
    bool outOfMemory = false;
    SplitterPtr splitter = makeSplitter();
    {
        py::gil_scoped_release release;
        try {
            parts.reserve(messages.size());
            for (std::size_t m = 0; m < messages.size(); ++m) {
                const std::string_view message = messages[m];
                if (tovrik_split(splitter.get(), options, message.data(), message.size(), &error) !=
                    TOVRIK_OK) {
                    failed = m;
                    break;
                }
                cuts[m] = {tovrik_message_encoding(splitter.get()), tovrik_segments(splitter.get()),
                           parts.size()};
                const std::size_t count = tovrik_part_count(splitter.get());
                for (std::size_t i = 0; i < count; ++i) {
                    tovrik_part part;
                    tovrik_get_part(splitter.get(), i, &part, nullptr);
                    const bool own = part.text == message.data() + part.offset;
                    const std::size_t from = own ? part.offset : numbered.size();
                    if (!own)
                        numbered.append(part.text, part.text_length);
                    parts.push_back({from, part.text_length, part.encoding, part.units, !own,
                                     own && part.text_length == message.size()});
                }
            }
            cuts[messages.size()].firstPart = parts.size();
        } catch (const std::bad_alloc &) {
            outOfMemory = true;
        }
    }
    if (outOfMemory)
        throw std::bad_alloc();
    if (failed < messages.size())
        raise(error, "text " + std::to_string(failed) + ": ");

    std::vector<Result> results(messages.size());
    for (std::size_t m = 0; m < messages.size(); ++m) {
        Result &result = results[m];
        result.encoding = encodingName(cuts[m].encoding);
        result.segments = cuts[m].segments;
        const std::size_t end = cuts[m + 1].firstPart;
        result.parts.reserve(end - cuts[m].firstPart);
        for (std::size_t i = cuts[m].firstPart; i < end; ++i) {
            const PartCut &part = parts[i];
            py::str text;
            if (part.whole && PyUnicode_Check(keep[m].ptr()))
                text = py::reinterpret_borrow<py::str>(keep[m]);
            else
                text = decode((part.numbered ? numbered.data() : messages[m].data()) + part.from,
                              part.length);
            result.parts.push_back({std::move(text), encodingName(part.encoding), part.units});
        }
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

    py::class_<Part>(m, "Part", "One part of a cut message.")
        .def_readonly("text", &Part::text, "The part as it is sent (numbered when asked).")
        .def_readonly("encoding", &Part::encoding,
                      "\"GSM-7\" or \"UCS-2\": the message's with concatenation, else the "
                      "part's own.")
        .def_readonly("units", &Part::units,
                      "The part's length in its encoding: septets or UTF-16 code units.")
        .def("__eq__",
             [](const Part &a, const Part &b) {
                 return a.units == b.units && a.encoding.equal(b.encoding) && a.text.equal(b.text);
             })
        .def("__repr__", [](const Part &p) {
            return py::str("Part(text={!r}, encoding={!r}, units={})")
                .format(p.text, p.encoding, p.units);
        });

    py::class_<Result>(m, "Result", "A message cut into parts.")
        .def_readonly("parts", &Result::parts, "The parts, in order.")
        .def_readonly("encoding", &Result::encoding,
                      "The whole message's encoding as one concatenated SMS.")
        .def_readonly("segments", &Result::segments,
                      "How many SMS the whole message takes as one concatenated SMS "
                      "(0 when empty).")
        .def(
            "to_dict",
            [](const Result &r) {
                py::list parts;
                for (const Part &p : r.parts) {
                    py::dict part;
                    part["text"] = p.text;
                    part["encoding"] = p.encoding;
                    part["units"] = p.units;
                    parts.append(part);
                }
                py::dict out;
                out["encoding"] = r.encoding;
                out["segments"] = r.segments;
                out["parts"] = parts;
                return out;
            },
            "The result as tovrik-split --json writes it: encoding, segments and parts.")
        .def("__eq__",
             [](const Result &a, const Result &b) {
                 if (a.segments != b.segments || !a.encoding.equal(b.encoding) ||
                     a.parts.size() != b.parts.size())
                     return false;
                 for (std::size_t i = 0; i < a.parts.size(); ++i)
                     if (a.parts[i].units != b.parts[i].units ||
                         !a.parts[i].encoding.equal(b.parts[i].encoding) ||
                         !a.parts[i].text.equal(b.parts[i].text))
                         return false;
                 return true;
             })
        .def("__repr__", [](const Result &r) {
            return py::str("Result(encoding={!r}, segments={}, parts={!r})")
                .format(r.encoding, r.segments, py::cast(r.parts));
        });

    m.def(
        "split",
        [](const py::object &text, int limit, const std::string &mode,
           const std::optional<std::string> &number) {
            const OptionsPtr options = makeOptions(TOVRIK_UNITS_CHARACTERS, mode, limit, number);
            return cutOne(text, options.get());
        },
        py::arg("text"), py::arg("limit") = 160, py::arg("mode") = "space",
        py::arg("number") = py::none(),
        "Cuts text (str, or UTF-8 bytes) into pieces of at most `limit` UTF-16 code\n"
        "units (1 to 32767). mode: \"space\" (whole words), \"exact\" or \"period\"\n"
        "(whole sentences). number: a format such as \"%k/%n %t\" that numbers\n"
        "the pieces. Raises tovrik.Error with libtovrik's message on bad input.");

    m.def(
        "sms",
        [](const py::object &text, bool concat, const std::string &mode,
           const std::optional<std::string> &number) {
            const OptionsPtr options =
                makeOptions(concat ? TOVRIK_UNITS_SMS_CONCAT : TOVRIK_UNITS_SMS, mode, 0, number);
            return cutOne(text, options.get());
        },
        py::arg("text"), py::arg("concat") = true, py::arg("mode") = "space",
        py::arg("number") = py::none(),
        "Cuts text (str, or UTF-8 bytes) in SMS units. concat=True: the parts of one\n"
        "concatenated SMS (153 septets or 67 units each, one part when the message\n"
        "fits one SMS); concat=False: each piece one SMS of its own (160 or 70).\n"
        "mode and number as for split(). Raises tovrik.Error on bad input.");

    m.def(
        "split_batch",
        [](const py::iterable &texts, int limit, const std::string &mode,
           const std::optional<std::string> &number) {
            const OptionsPtr options = makeOptions(TOVRIK_UNITS_CHARACTERS, mode, limit, number);
            return cutMany(texts, options.get());
        },
        py::arg("texts"), py::arg("limit") = 160, py::arg("mode") = "space",
        py::arg("number") = py::none(),
        "split() over an iterable of texts, as a list of results in the same order.\n"
        "The cutting runs with the GIL released. The first text that cannot be cut\n"
        "raises tovrik.Error naming its index.");

    m.def(
        "sms_batch",
        [](const py::iterable &texts, bool concat, const std::string &mode,
           const std::optional<std::string> &number) {
            const OptionsPtr options =
                makeOptions(concat ? TOVRIK_UNITS_SMS_CONCAT : TOVRIK_UNITS_SMS, mode, 0, number);
            return cutMany(texts, options.get());
        },
        py::arg("texts"), py::arg("concat") = true, py::arg("mode") = "space",
        py::arg("number") = py::none(),
        "sms() over an iterable of texts, as a list of results in the same order.\n"
        "The cutting runs with the GIL released. The first text that cannot be cut\n"
        "raises tovrik.Error naming its index.");
}
