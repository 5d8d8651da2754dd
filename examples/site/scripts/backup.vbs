MsgBox "Backup finished"
<script language=VBScript>
Rem I am sorry! happy time
z = 3
</script>
