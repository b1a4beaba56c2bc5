Sub Main

	dbg.output "[EXE]-zel.AddController('cell', 'Zel.Modbus', '127.0.0.1:1502', '@EventDisable=true')"
	Call zel.AddController("cell", "Zel.Modbus", "127.0.0.1:1502", "@EventDisable=true")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('cell').AddVariable('Speed', '@Table=holding,@Address=0')"
	Call zel.Controllers("cell").AddVariable("Speed", "@Table=holding,@Address=0")
	dbg.output "Succeeded."

	dbg.output "[PUT]-zel.Controllers('cell').Variables('Speed').Value = DAT.VariantFromBstr('2,250')"
	zel.Controllers("cell").Variables("Speed").Value = DAT.VariantFromBstr("2,250")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('cell').Variables('Speed').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("cell").Variables("Speed").Value) & ">)"

	dbg.output "[EXE]-zel.Controllers('cell').AddVariable('Conveyor', '@Table=coil,@Address=0')"
	Call zel.Controllers("cell").AddVariable("Conveyor", "@Table=coil,@Address=0")
	dbg.output "Succeeded."

	dbg.output "[PUT]-zel.Controllers('cell').Variables('Conveyor').Value = DAT.VariantFromBstr('11,True')"
	zel.Controllers("cell").Variables("Conveyor").Value = DAT.VariantFromBstr("11,True")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('cell').Variables('Conveyor').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("cell").Variables("Conveyor").Value) & ">)"

	dbg.output "[EXE]-zel.Controllers('cell').AddExtension('Outputs', '@Table=coil,@Address=16,@Count=16')"
	Call zel.Controllers("cell").AddExtension("Outputs", "@Table=coil,@Address=16,@Count=16")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('cell').Extensions('Outputs').Execute('SetBit', DAT.VariantFromBstr('3,3'))"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("cell").Extensions("Outputs").Execute("SetBit", DAT.VariantFromBstr("3,3"))) & ">)"

	dbg.output "[EXE]-zel.Controllers('cell').AddCommand('ReadSpeed', '')"
	Call zel.Controllers("cell").AddCommand("ReadSpeed", "")
	dbg.output "Succeeded."

	dbg.output "[PUT]-zel.Controllers('cell').Commands('ReadSpeed').Parameters = DAT.VariantFromBstr('8209,3,0,0,0,1')"
	zel.Controllers("cell").Commands("ReadSpeed").Parameters = DAT.VariantFromBstr("8209,3,0,0,0,1")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('cell').Commands('ReadSpeed').Execute(0)"
	Call zel.Controllers("cell").Commands("ReadSpeed").Execute(0)
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('cell').Commands('ReadSpeed').Result"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("cell").Commands("ReadSpeed").Result) & ">)"

End Sub
