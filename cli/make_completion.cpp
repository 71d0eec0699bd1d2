// Writes ohmara-cli's bash completion to standard output. Its tabs, unknowns, circuits and
// the inputs each choice takes come from the same definitions the program reads, so the
// completion offers exactly the NAME= arguments a command accepts.
#include "model/calculator_model.h"
#include "model/standard_values.h"
#include "model/tab_state.h"

#include <cstdio>
#include <string>

namespace {

const char *const SCRIPT_START = R"sh(# bash completion for ohmara-cli (generated from the program's own definitions)
_ohmara_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        --digits) COMPREPLY=($(compgen -W "$(seq 6 32)" -- "$cur")); return ;;
        --series) COMPREPLY=($(compgen -W "$_ohmara_cli_series" -- "$cur")); return ;;
        --batch|solve|netlist) COMPREPLY=($(compgen -f -- "$cur")); return ;;
        --from|--to|--points) return ;;
        recalc) COMPREPLY=($(compgen -f -X '!*.oma' -- "$cur") $(compgen -d -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--digits --series --json --json-lines --batch --from --to --points --help --version --" -- "$cur"))
        return
    fi
    # The command and its arguments: the words that are neither options nor their values.
    local words=() i
    for ((i = 1; i < COMP_CWORD; ++i)); do
        case ${COMP_WORDS[i]} in
            --digits|--series|--from|--to|--points) ((++i)) ;;
            -*) ;;
            *) words+=("${COMP_WORDS[i]}") ;;
        esac
    done
    if ((${#words[@]} == 0)); then
        COMPREPLY=($(compgen -W "$_ohmara_cli_tabs solve eseries recalc netlist sweep" -- "$cur"))
        return
    fi
    if [[ ${words[0]} == eseries ]]; then
        ((${#words[@]} == 1)) && COMPREPLY=($(compgen -W "$_ohmara_cli_series" -- "$cur"))
        return
    fi
    local k inputs= choices
    if [[ ${words[0]} == sweep ]]; then
        # A sweep takes the stage's or the circuit's parts; what it shows is no input.
        if ((${#words[@]} == 1)); then
            COMPREPLY=($(compgen -W "rcfilter rlc" -- "$cur"))
            return
        fi
        if [[ ${words[1]} == rlc ]] && ((${#words[@]} == 2)); then
            COMPREPLY=($(compgen -W "$(_ohmara_cli_choices rlc)" -- "$cur"))
            return
        fi
        inputs="R C"
        [[ ${words[1]} == rlc ]] && inputs="R L C F"
    else
        # Choices (an unknown, a direction, a circuit) while the words so far are one; then
        # the inputs that choice takes, each once.
        choices=$(_ohmara_cli_choices "${words[*]}")
        if [[ -n $choices ]]; then
            COMPREPLY=($(compgen -W "$choices" -- "$cur"))
            return
        fi
        for ((k = ${#words[@]}; k > 0; --k)); do
            inputs=$(_ohmara_cli_inputs "${words[*]:0:k}")
            [[ -n $inputs ]] && break
        done
    fi
    local given=" ${words[*]} " q names=
    for q in $inputs; do
        [[ $given == *" $q="* ]] || names+=" $q="
    done
    compopt -o nospace 2>/dev/null
    COMPREPLY=($(compgen -W "$names" -- "$cur"))
}
complete -F _ohmara_cli ohmara-cli
)sh";

std::string inputs_of(const TabState &tab)
{
    std::string names;
    for (int i = 0; i < tab.field_count(); ++i) {
        const FieldState &f = tab.field(i);
        if (!f.read_only && f.enabled)
            names += (names.empty() ? "" : " ") + std::string(tab.definition().quantities[i].name);
    }
    return names;
}

} // namespace

int main()
{
    std::string tabs, series, choices, inputs;
    for (int k = 0; k < SERIES_COUNT; ++k)
        series += (k ? " " : "") + std::string(SERIES_NAMES[k]);
    for (int t = 0; t < TAB_COUNT; ++t) {
        const TabDefinition &d = TAB_DEFINITIONS[t];
        tabs += (t ? " " : "") + std::string(d.name);
        std::string names;
        for (int i = 0; i < d.field_count; ++i)
            names += (i ? " " : "") + std::string(d.quantities[i].name);
        auto input_line = [&](const std::string &words, const TabState &tab) {
            inputs += "        \"" + words + "\") echo \"" + inputs_of(tab) + "\" ;;\n";
        };
        if (d.kind == TabKind::Real) {
            choices += "        \"" + std::string(d.name) + "\") echo \"" + names + "\" ;;\n";
            for (int m = 0; m < d.field_count; ++m) {
                TabState tab(t, DIGITS_START);
                tab.select(m, DIGITS_START);
                input_line(std::string(d.name) + " " + d.quantities[m].name, tab);
            }
        } else if (d.kind == TabKind::DeltaStar) {
            choices += "        \"" + std::string(d.name) + "\") echo \"" + d.choice_names[0] + " "
                       + d.choice_names[1] + "\" ;;\n";
            for (int m = 0; m < d.choices; ++m) {
                TabState tab(t, DIGITS_START);
                tab.select(m, DIGITS_START);
                input_line(std::string(d.name) + " " + d.choice_names[m], tab);
            }
        } else {
            std::string circuits;
            for (int c = 0; c < RLC_CIRCUITS; ++c) {
                const std::string circuit = RLC_CIRCUIT_DEFINITIONS[c].name;
                circuits += (c ? " " : "") + circuit;
                choices += "        \"" + std::string(d.name) + " " + circuit + "\") echo \"" + names + "\" ;;\n";
                for (int m = 0; m < d.field_count; ++m) {
                    TabState tab(t, DIGITS_START);
                    tab.select_circuit(c, DIGITS_START);
                    tab.select(m, DIGITS_START);
                    input_line(std::string(d.name) + " " + circuit + " " + d.quantities[m].name, tab);
                }
            }
            choices += "        \"" + std::string(d.name) + "\") echo \"" + circuits + "\" ;;\n";
        }
    }
    std::printf("_ohmara_cli_tabs=\"%s\"\n_ohmara_cli_series=\"%s\"\n", tabs.c_str(), series.c_str());
    std::printf("_ohmara_cli_choices()\n{\n    case $1 in\n%s    esac\n}\n", choices.c_str());
    std::printf("_ohmara_cli_inputs()\n{\n    case $1 in\n%s    esac\n}\n", inputs.c_str());
    std::fputs(SCRIPT_START, stdout);
    return 0;
}
