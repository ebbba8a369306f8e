"""Cuts text messages into pieces that fit SMS limits (libtovrik)."""

from _typeshed import structseq
from typing import Any, Iterable, Literal, Optional, Union, final

__version__: str

Mode = Literal["space", "exact", "period"]
Text = Union[str, bytes]
Replace = Literal["never", "when-cheaper", "always"]

class Error(ValueError):
    """An error libtovrik reports, with its message."""

# Part and Result are tuples whose items are also read by name, as
# os.stat_result (struct sequences): not typing.NamedTuple classes.

@final
class Part(structseq[Union[str, int]], tuple[str, str, int]):
    """One part of a cut message: (text, encoding, units)."""

    @property
    def text(self) -> str:
        """The part as it is sent (numbered when asked)."""
    @property
    def encoding(self) -> Literal["GSM-7", "UCS-2"]:
        """The message's encoding with concatenation, else the part's own."""
    @property
    def units(self) -> int:
        """The part's length in its encoding: septets or UTF-16 code units."""

@final
class Result(
    structseq[Any],
    tuple[tuple[Part, ...], str, int, Optional[dict[str, str]], Optional[int], Optional[str],
          tuple[str, ...], int],
):
    """A message cut into parts: (parts, encoding, segments, shift, replaced,
    sent, non_gsm7, non_gsm7_more)."""

    @property
    def parts(self) -> tuple[Part, ...]:
        """The parts, in order."""
    @property
    def encoding(self) -> Literal["GSM-7", "UCS-2"]:
        """What the message is sent in: with sms(), the parts' encoding (UCS-2
        when any part is); with split(), the whole message's as one
        concatenated SMS."""
    @property
    def segments(self) -> int:
        """How many SMS the message costs: with sms(), one a part; with split(),
        the segments of the whole message as one concatenated SMS."""
    @property
    def shift(self) -> Optional[dict[str, str]]:
        """The national shift tables the GSM-7 parts use ("locking", "single")."""
    @property
    def replaced(self) -> Optional[int]:
        """How many look-alike characters were replaced; None unless asked."""
    @property
    def sent(self) -> Optional[str]:
        """The text as sent once look-alikes are replaced; None when none were."""
    @property
    def non_gsm7(self) -> tuple[str, ...]:
        """Why a message is UCS-2: its characters without a GSM-7 form (at most 10)."""
    @property
    def non_gsm7_more(self) -> int:
        """How many other different characters have no GSM-7 form."""
    def to_dict(self) -> dict[str, Any]:
        """The result as tovrik-split --json writes it, in its order, without "id"."""

def split(text: Text, limit: int = 160, mode: Mode = "space",
          number: Optional[str] = None, replace: Replace = "never") -> Result:
    """Cuts text into pieces of at most `limit` UTF-16 code units; a longer word
    or sentence stays whole, and a character of two units is never split."""

def sms(text: Text, concat: bool = True, mode: Mode = "space",
        number: Optional[str] = None, replace: Replace = "never",
        language: Optional[str] = None) -> Result:
    """Cuts text in SMS units, as one concatenated SMS or as SMS of their own."""

def split_batch(texts: Iterable[Text], limit: int = 160, mode: Mode = "space",
                number: Optional[str] = None, replace: Replace = "never") -> list[Result]:
    """split() over many texts, cut with the GIL released."""

def sms_batch(texts: Iterable[Text], concat: bool = True, mode: Mode = "space",
              number: Optional[str] = None, replace: Replace = "never",
              language: Optional[str] = None) -> list[Result]:
    """sms() over many texts, cut with the GIL released."""
